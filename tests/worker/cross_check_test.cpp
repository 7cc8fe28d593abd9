// The installer and the builder's verify give one verdict: every installer
// the worker refuses, under the native window, verify refuses (exit 2), and
// the ones it installs, verify accepts.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>

#include "archive/path.h"
#include "tests/support/archive_writer.h"
#include "tests/support/entry_names.h"
#include "tests/worker/failure_cases.h"
#include "tests/worker/worker_fixture.h"

namespace {

class CrossCheck : public WorkerTest {
  protected:
    // Runs the worker on installer, then verify on the same file; expects
    // the exit code 2 exactly when the window showed an error box, and
    // verify's message to hold verdict when one is given.
    void ExpectOneVerdict(const std::string& installer, const char* verdict = nullptr)
    {
        Run(installer);
        bool refused = std::any_of(log.begin(), log.end(),
                                   [](const std::string& entry) { return entry.rfind("error ", 0) == 0; });
        std::string said = root_ + "/verify.txt";
        std::string command =
            std::string(ROZBAL_TOOL) + " verify -q '" + Archive() + "' >/dev/null 2>'" + said + "'";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), refused ? 2 : 0)
            << "the installer " << (refused ? "refused" : "installed");
        if (verdict) {
            EXPECT_NE(ReadFile(said).find(verdict), std::string::npos) << ReadFile(said);
        }
    }
};

class FailureCrossCheck : public CrossCheck, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureCrossCheck, VerifyRefusesIt)
{
    ExpectOneVerdict(GetParam().installer, GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(Worker, FailureCrossCheck, ::testing::ValuesIn(kFailures));

class HostileNameCrossCheck : public CrossCheck, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostileNameCrossCheck, VerifyRefusesIt)
{
    ExpectOneVerdict(HostileInstaller(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Worker, HostileNameCrossCheck, ::testing::ValuesIn(kHostileNames));

// Every name of the name rule's table, as a piece before the setup program.
class EntryNameCrossCheck : public CrossCheck, public ::testing::WithParamInterface<EntryNameCase> {};

TEST_P(EntryNameCrossCheck, VerifyGivesTheInstallersVerdict)
{
    std::string name = GetParam().name;
    bool block = name.size() > 4 && EqualNoCase(name.substr(name.size() - 4).c_str(), ".xxx");
    MarkExecutable("setup", "setup");
    ExpectOneVerdict(Installer(Header(2, 1, "setup", "t"), Piece(1, name, block ? StoredBlocks({"x"}) : "x") +
                                                             Piece(9, "setup", ReadFile(RECORD_SETUP_PATH))));
}

INSTANTIATE_TEST_SUITE_P(Worker, EntryNameCrossCheck, ::testing::ValuesIn(kEntryNames));

// Installers that get as far as the setup program, which runs or cannot start.
struct PassingCase {
    const char* what;
    std::string installer;
    const char* shown;       // the piece at which the setup program is made executable
    const char* executable;  // and its name
};

std::vector<PassingCase> PassingCases()
{
    std::string setup = ReadFile(RECORD_SETUP_PATH);
    std::vector<std::string> parts;
    for (size_t at = 0; at < setup.size(); at += 32000)
        parts.push_back(setup.substr(at, 32000));
    return {
        {"one piece", Installer(Header(1, 1, "setup", "t"), Piece(9, "setup", setup)), "setup", "setup"},
        {"appended pieces in a directory",
         Installer(Header(2, 1, "setup", "t"),
                   Piece(1, "d\\a", "12") + Piece(2, "d\\a", "34") + Piece(9, "setup", setup)),
         "setup", "setup"},
        {"compressed setup program",
         Installer(Header(1, 0, "setup.xxx", "t"), Piece(9, "setup.xxx", StoredBlocks(parts))), "setup.xxx",
         "setup"},
        {"password typed in another case, arguments",
         Installer(Header(1, 1, "setup /S", "t", "Tajne"), Piece(9, "setup", setup)), "setup", "setup"},
        {"arguments after a tab", Installer(Header(1, 1, "setup\t/S", "t"), Piece(9, "setup", setup)),
         "setup", "setup"},
        {"header counting more files than it holds",
         Installer(Header(9, 1, "setup", "t"), Piece(9, "setup", setup)), "setup", "setup"},
        {"setup program missing", Installer(Header(1, 1, "missing", "t"), Piece(9, "a", "x")), "", ""},
    };
}

class PassingCrossCheck : public CrossCheck, public ::testing::WithParamInterface<PassingCase> {};

TEST_P(PassingCrossCheck, VerifyGivesTheInstallersVerdict)
{
    MarkExecutable(GetParam().shown, GetParam().executable);
    window.password_result = 1;
    window.password_text = "tAJNE";
    ExpectOneVerdict(GetParam().installer);
}

void PrintTo(const PassingCase& passing, std::ostream* out)
{
    *out << passing.what;
}

INSTANTIATE_TEST_SUITE_P(Worker, PassingCrossCheck, ::testing::ValuesIn(PassingCases()));

}  // namespace
