#include "tools/rozbal/system.h"

#include "tools/rozbal/names.h"

#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// One iconv conversion direction, opened once for the process.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter()
    {
        iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Convert(const std::string& in, std::string& out)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        out.assign(in.size() * 4 + 4, '\0');
        char* source = const_cast<char*>(in.data());
        size_t source_left = in.size();
        char* target = out.data();
        size_t target_left = out.size();
        if (iconv(handle_, &source, &source_left, &target, &target_left) == static_cast<size_t>(-1))
            return false;
        out.resize(out.size() - target_left);
        return true;
    }

  private:
    iconv_t handle_;
};

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnSignal(int number)
{
    g_signal = number;
}

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, 3> g_previous;

}  // namespace

bool Utf8ToCp1250(const std::string& utf8, std::string& cp1250)
{
    static Converter converter("CP1250", "UTF-8");
    return converter.Convert(utf8, cp1250);
}

bool Cp1250ToUtf8(const std::string& cp1250, std::string& utf8)
{
    static Converter converter("UTF-8", "CP1250");
    return converter.Convert(cp1250, utf8);
}

std::vector<std::string> Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::string WorkerPath(const fs::path& path)
{
    return path.native();
}

fs::path FromWorkerPath(const std::string& path)
{
    std::string native = path;
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

std::string ExtractedName(const fs::path& relative)
{
    return relative.native();  // the platform layer writes the archive's bytes as they are
}

int OpenForReading(const fs::path& path)
{
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int CreateExclusive(const fs::path& path)
{
    // 0666 lets the umask decide, as for any file the user creates.
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

std::error_code PlatformError(uint32_t value)
{
    return std::error_code(static_cast<int>(value), std::generic_category());
}

bool IsMachineFault(const std::error_code& error)
{
    for (std::errc fault : {std::errc::no_space_on_device, std::errc::permission_denied,
                            std::errc::read_only_file_system, std::errc::io_error, std::errc::file_too_large})
        if (error == fault)
            return true;
    return error.value() == EDQUOT;
}

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream));
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(getpid());
}

fs::path ExecutablePath()
{
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error);
}

const char* const kTempVariable = "TMPDIR";

std::optional<std::string> Environment(const char* name)
{
    const char* value = getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const char* name, const std::optional<std::string>& value)
{
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

InterruptGuard::InterruptGuard()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kSignals.size(); i++)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

InterruptGuard::~InterruptGuard()
{
    for (size_t i = 0; i < kSignals.size(); i++)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

int InterruptGuard::Pending()
{
    return g_signal;
}

void EndBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);  // the signal is blocked or ignored by whoever started us
}
