// SimulatedDriver.exe: one command per invocation on the simulated camera driver's keys
// (SimulatedDriver.h). Exit status 0 on success; otherwise one line on standard error,
// status 1 when the registry refused and 2 for a command line it does not understand.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "testworld/driver/SimulatedDriver.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: SimulatedDriver install uvc|std|both [--instances N] [--display-selection V] | press [--state S] | "
    L"release | set-display-selection V | remove-display-selection | remove-instance-index | remove | show";

struct Outcome {
    int status = 0;
    std::wstring message;
};

void Write(FILE* stream, const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(bytes > 0 ? bytes : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
    std::fputs(narrow.c_str(), stream);
}

Outcome Misuse(const std::wstring& message) { return {2, message + L"; " + kUsage}; }

Outcome FromResult(LONG result) {
    if (result == ERROR_SUCCESS) return {};
    if (result == ERROR_FILE_NOT_FOUND) return {1, L"no simulated driver is installed (run install first)"};
    if (result == ERROR_ACCESS_DENIED) return {1, L"access to HKEY_LOCAL_MACHINE denied"};
    return {1, L"registry error " + std::to_wstring(result)};
}

// A decimal number that fits in 32 bits; negative numbers wrap, as the registry stores them.
bool ParseDword(const std::wstring& text, DWORD& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long number = std::wcstoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != L'\0' || number < -2147483648LL || number > 4294967295LL) return false;
    value = static_cast<DWORD>(number);
    return true;
}

// Reads "--name value" pairs from args[first…]; only the names given in `options`.
bool ParseOptions(const std::vector<std::wstring>& args, size_t first,
                  std::initializer_list<std::pair<const wchar_t*, DWORD*>> options, std::wstring& error) {
    for (size_t i = first; i < args.size(); i += 2) {
        const std::pair<const wchar_t*, DWORD*>* match = nullptr;
        for (const auto& option : options)
            if (args[i] == option.first) match = &option;
        if (!match) {
            error = L"unknown argument \"" + args[i] + L"\"";
            return false;
        }
        if (i + 1 >= args.size() || !ParseDword(args[i + 1], *match->second)) {
            error = args[i] + L" needs a number";
            return false;
        }
    }
    return true;
}

Outcome Install(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return Misuse(L"install needs a family");
    const std::wstring& family = args[1];
    if (family != L"uvc" && family != L"std" && family != L"both")
        return Misuse(L"unknown family \"" + family + L"\" (uvc, std or both)");
    DWORD instances = 1, selection = 0;
    std::wstring error;
    if (!ParseOptions(args, 2, {{L"--instances", &instances}, {L"--display-selection", &selection}}, error))
        return Misuse(error);
    if (instances < 1 || instances > driver::kMaxInstances)
        return Misuse(L"--instances must be 1 to " + std::to_wstring(driver::kMaxInstances));
    const driver::InstallOptions options{instances, selection};
    LONG result = ERROR_SUCCESS;
    if (family != L"std") result = driver::Install(driver::Family::Uvc, options);
    if (family != L"uvc" && result == ERROR_SUCCESS) result = driver::Install(driver::Family::Std, options);
    return FromResult(result);
}

Outcome Run(const std::vector<std::wstring>& args) {
    if (args.empty()) return Misuse(L"no command");
    const std::wstring& command = args[0];
    if (command == L"install") return Install(args);
    std::wstring error;
    if (command == L"press") {
        DWORD state = driver::kPressedState;
        if (!ParseOptions(args, 1, {{L"--state", &state}}, error)) return Misuse(error);
        return FromResult(driver::SetSnapshotState(state));
    }
    if (command == L"set-display-selection") {
        DWORD value = 0;
        if (args.size() != 2 || !ParseDword(args[1], value)) return Misuse(L"set-display-selection needs one number");
        return FromResult(driver::SetDisplaySelection(value));
    }
    if (args.size() > 1) return Misuse(command + L" takes no argument");
    if (command == L"release") return FromResult(driver::SetSnapshotState(driver::kReleasedState));
    if (command == L"remove-display-selection")
        return FromResult(driver::RemoveDriverValue(driver::kDisplaySelectionValue));
    if (command == L"remove-instance-index") return FromResult(driver::RemoveDriverValue(driver::kInstanceIndexValue));
    if (command == L"remove") return FromResult(driver::RemoveAll());
    if (command == L"show") {
        Write(stdout, driver::Describe());
        return {};
    }
    return Misuse(L"unknown command \"" + command + L"\"");
}


}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Outcome outcome = Run(std::vector<std::wstring>(argv + 1, argv + argc));
    if (outcome.status != 0) Write(stderr, L"SimulatedDriver: " + outcome.message + L"\n");
    return outcome.status;
}
