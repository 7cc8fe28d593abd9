// Does nothing, successfully: tests/e2e/wine-up.sh starts it to learn
// whether this machine runs programs of its architecture at all, before any
// test blames the stub for what the machine refuses.
int main() { return 0; }
