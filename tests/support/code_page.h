// The ANSI code page the POSIX layer answers for (SysIsLeadByte), set for a
// scope through its stand-in in the environment; 1250 again afterwards.
#pragma once

#include <stdlib.h>

#include <string>

class CodePage {
  public:
    explicit CodePage(unsigned code_page)
    {
        setenv("ROZBAL_ANSI_CODE_PAGE", std::to_string(code_page).c_str(), 1);
    }
    ~CodePage()
    {
        unsetenv("ROZBAL_ANSI_CODE_PAGE");
    }
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
};
