// Stands in for an installation's setup program: appends its arguments, its
// current directory and the names in its own directory to the file that
// ROZBAL_RECORD names, one "key value" line each.
#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* record = getenv("ROZBAL_RECORD");
    FILE* out = record ? fopen(record, "a") : NULL;
    char path[PATH_MAX];
    if (!out)
        return 1;
    for (int i = 0; i < argc; i++)
        fprintf(out, "arg %s\n", argv[i]);
    if (getcwd(path, sizeof path))
        fprintf(out, "cwd %s\n", path);
    snprintf(path, sizeof path, "%s", argv[0]);
    char* slash = strrchr(path, '/');
    if (slash)
        *slash = 0;
    DIR* dir = opendir(slash ? path : ".");
    for (struct dirent* entry; dir && (entry = readdir(dir)) != NULL;)
        if (entry->d_name[0] != '.')
            fprintf(out, "file %s\n", entry->d_name);
    if (dir)
        closedir(dir);
    fclose(out);
    return 0;
}
