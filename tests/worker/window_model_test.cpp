// The progress window's rules, which the stub's dialog, the native window
// thread and the builder's windowless port all carry out: one command
// sequence per line, and what the last command asks of the medium and
// leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/window_model.h"
#include "resources/texts.h"

namespace {

struct Step {
    int command;
    intptr_t number;   // the argument of the others
    std::string text;  // CMD_SHOW_FILE's name, CMD_SET_TITLE's title
};

const Step INC{CMD_BUSY_INC, 0, ""}, DEC{CMD_BUSY_DEC, 0, ""}, CLOSE{CMD_CLOSE, 0, ""},
    CANCEL{CMD_CANCEL, 0, ""}, OK{CMD_OK, 0, ""}, HIDE{CMD_HIDE, 0, ""}, START{CMD_START_WORKER, 0, ""};

Step Total(intptr_t count)
{
    return Step{CMD_SET_TOTAL, count, ""};
}

Step Show(const std::string& name)
{
    return Step{CMD_SHOW_FILE, 0, name};
}

Step Title(const std::string& title)
{
    return Step{CMD_SET_TITLE, 0, title};
}

// Runs steps on a freshly reset model; returns the last step's result.
int Apply(const std::vector<Step>& steps)
{
    WindowReset();
    int result = 0;
    for (const Step& step : steps) {
        bool text = step.command == CMD_SHOW_FILE || step.command == CMD_SET_TITLE;
        result = WindowCommand(step.command, text ? (intptr_t)step.text.c_str() : step.number);
    }
    return result;
}

TEST(WindowModel, BusyCountCloseAndCancel)
{
    struct Case {
        std::vector<Step> steps;
        int result, busy, cancel, waiting;
    } cases[] = {
        {{INC}, 0, 1, 0, 1},
        {{INC, DEC}, 0, 0, 0, 0},                            // no window ending: the dec ends nothing
        {{INC, CLOSE}, CMD_CLOSE, 1, 0, 1},                  // a close waits, and never cancels
        {{INC, CLOSE, DEC}, CMD_BUSY_DEC, 0, 0, 0},          // ... until the worker gives the count back
        {{INC, INC, CLOSE, DEC}, 0, 1, 0, 1},                // one count is still held
        {{INC, CANCEL}, CMD_CANCEL, 1, 1, 1},                // the user cancels a busy window
        {{INC, OK}, CMD_CANCEL, 1, 1, 1},                    // Enter is a cancel as well
        {{INC, CANCEL, DEC}, CMD_BUSY_DEC, 0, 1, 0},         // the flag stays raised
        {{INC, DEC, CANCEL}, CMD_CANCEL, 0, 0, 0},           // nothing busy: nothing to stop
        {{CANCEL}, CMD_CANCEL, 0, 0, 0},                     // before the worker started
        {{INC, CLOSE, CANCEL}, CMD_CANCEL, 1, 1, 1},         // a cancel during the close's wait
        {{INC, CANCEL, CLOSE, DEC}, CMD_BUSY_DEC, 0, 1, 0},  // ... and a close during the cancel's
        {{START}, CMD_START_WORKER, 0, 0, 0},
        {{INC, HIDE}, CMD_HIDE, 1, 0, 1},
        {{INC, Step{999, 0, ""}}, 999, 1, 0, 1},  // no rule of the model: handed on
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(Apply(c.steps), c.result);
        EXPECT_EQ(g_busy, c.busy);
        EXPECT_EQ(g_cancel.load(), c.cancel);
        EXPECT_EQ(WindowWaiting(), c.waiting);
    }
}

TEST(WindowModel, NameAndBar)
{
    const std::string longest(SYS_PATH_SIZE - 1, 'n');
    struct Case {
        std::vector<Step> steps;
        int result, range, position;
        std::string shown;
    } cases[] = {
        {{Total(3)}, CMD_SET_TOTAL, 3, 0, ""},
        {{Total(0x10003)}, CMD_SET_TOTAL, 3, 0, ""},  // the bar takes the count's low 16 bits
        {{Total(0x10000)}, CMD_SET_TOTAL, 0, 0, ""},
        {{Total(0xFFFFFFFF)}, CMD_SET_TOTAL, 0xFFFF, 0, ""},
        {{Total(3), Show("")}, 0, 3, 0, ""},  // nothing new to show
        {{Total(3), Show("a.txt")}, CMD_SHOW_FILE, 3, 1, "a.txt"},
        {{Total(3), Show("a.txt"), Show("a.txt")}, 0, 3, 1, "a.txt"},  // the next piece of the same file
        {{Total(3), Show("a.txt"), Show("A.TXT")}, CMD_SHOW_FILE, 3, 2, "A.TXT"},  // letter case counts
        {{Total(3), Show("a"), Show("b"), Show("a")}, CMD_SHOW_FILE, 3, 3, "a"},
        {{Total(3), Show("a"), Show("ab")}, CMD_SHOW_FILE, 3, 2, "ab"},
        {{Total(3), Show("ab"), Show("a")}, CMD_SHOW_FILE, 3, 2, "a"},
        {{Show("a"), Show("b"), Total(5)}, CMD_SET_TOTAL, 5, 0, "b"},    // the total starts the bar again
        {{Show(longest + "xyz")}, CMD_SHOW_FILE, 0, 1, longest},         // cut to fit
        {{Show(longest + "x"), Show(longest + "y")}, 0, 0, 1, longest},  // the same as far as it is shown
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(Apply(c.steps), c.result);
        EXPECT_EQ(g_view.bar_range, c.range);
        EXPECT_EQ(g_view.bar_position, c.position);
        EXPECT_EQ(std::string(g_view.shown), c.shown);
    }
}

TEST(WindowModel, Title)
{
    const std::string caption = TEXT_CAPTION;
    const std::string field(47, 't');
    const std::string huge(2000, 'h');
    struct Case {
        std::vector<Step> steps;
        std::string title;
    } cases[] = {
        {{}, ""},
        {{Title("Hra")}, "Hra " + caption},
        {{Title("")}, " " + caption},
        {{Title(field)}, field + " " + caption},
        {{Title("Hra"), Title("Jina")}, "Jina " + caption},  // replaced, not appended
        // Cut to the longest title: the blank always follows the archive's title.
        {{Title(huge)}, huge.substr(0, TITLE_SIZE - 2) + " "},
        {{Title(huge.substr(0, TITLE_SIZE - 3))},
         huge.substr(0, TITLE_SIZE - 3) + " " + caption.substr(0, 1)},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(Apply(c.steps), c.steps.empty() ? 0 : CMD_SET_TITLE);
        EXPECT_EQ(std::string(g_view.title), c.title);
    }
}

}  // namespace
