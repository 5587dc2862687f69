// SimulatedDriver.exe as people and test scripts run it: one command per invocation, its
// exit status, and its one line on standard error when it refuses.
#include <gtest/gtest.h>

#include <string>

#include "testworld/driver/SimulatedDriver.h"
#include "framework/Handles.h"
#include "tests/testworld/driver/RegistryReads.h"

namespace driver_test {
namespace {

struct ToolRun {
    DWORD status = 0xFFFFFFFF;
    std::string output;  // standard output and standard error
};

// Runs the tool beside this test program; its output goes to a temporary file, read once
// it has ended, so that the only wait is the bounded wait for its end.
ToolRun RunTool(const std::wstring& arguments) {
    ToolRun run;
    wchar_t path[MAX_PATH] = {}, folder[MAX_PATH] = {}, capture[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    exe = exe.substr(0, exe.find_last_of(L"\\/")) + L"\\SimulatedDriver.exe";
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"drv", 0, capture);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueFile output(::CreateFileW(capture, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    if (!output || !::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                     nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start SimulatedDriver.exe: error " << ::GetLastError();
        return run;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 0xDEAD);
        ADD_FAILURE() << "SimulatedDriver.exe did not end within 30 s";
    }
    ::GetExitCodeProcess(process.Get(), &run.status);
    char buffer[4096];
    DWORD got = 0;
    ::SetFilePointer(output.Get(), 0, nullptr, FILE_BEGIN);
    while (::ReadFile(output.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) run.output.append(buffer, got);
    return run;
}

// Some text, then a single line end.
bool IsOneLine(std::string text) {
    if (text.empty() || text.back() != '\n') return false;
    text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return !text.empty() && text.find('\n') == std::string::npos;
}

class SimulatedDriverToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(driver::RemoveAll(), ERROR_SUCCESS); }
    void TearDown() override { EXPECT_EQ(driver::RemoveAll(), ERROR_SUCCESS); }
};

TEST_F(SimulatedDriverToolTest, InstallPressReleaseShowRemoveRoundTrip) {
    ToolRun run = RunTool(L"install both --instances 2 --display-selection 1");
    ASSERT_EQ(run.status, 0u) << run.output;
    EXPECT_EQ(run.output, "");
    for (const wchar_t* key : {driver::kUvcDriverKeyPath, driver::kStdDriverKeyPath}) {
        EXPECT_EQ(MachineDword(key, L"InstanceIndex"), 2u);
        EXPECT_EQ(MachineDword(key, L"DisplaySelection"), 1u);
    }
    const auto ii = MachineString(driver::kStdDriverKeyPath, L"ii0002");
    ASSERT_TRUE(ii);
    const struct {
        const wchar_t* command;
        DWORD state;
    } steps[] = {{L"press", 2}, {L"release", 0}, {L"press --state 3", 3}, {L"release", 0}};
    for (const auto& step : steps) {
        EXPECT_EQ(RunTool(step.command).status, 0u);
        EXPECT_EQ(MachineDword(InstanceKeyOf(*ii), L"SnapShotState"), step.state);
    }
    EXPECT_EQ(RunTool(L"set-display-selection -1").status, 0u);
    EXPECT_EQ(MachineDword(driver::kUvcDriverKeyPath, L"DisplaySelection"), 0xFFFFFFFFu);
    EXPECT_EQ(RunTool(L"remove-display-selection").status, 0u);
    EXPECT_FALSE(MachineDword(driver::kStdDriverKeyPath, L"DisplaySelection"));
    EXPECT_EQ(RunTool(L"remove-instance-index").status, 0u);
    EXPECT_FALSE(MachineDword(driver::kUvcDriverKeyPath, L"InstanceIndex"));
    EXPECT_TRUE(MachineString(driver::kUvcDriverKeyPath, L"ii0001"));
    // The button still works: the instance values, not the count, name the keys.
    EXPECT_EQ(RunTool(L"press").status, 0u);
    EXPECT_EQ(MachineDword(InstanceKeyOf(*ii), L"SnapShotState"), driver::kPressedState);
    run = RunTool(L"show");
    EXPECT_EQ(run.status, 0u);
    EXPECT_NE(run.output.find("Delm Halvo Virtual Camera"), std::string::npos) << run.output;
    EXPECT_EQ(RunTool(L"remove").status, 0u);
    EXPECT_FALSE(MachineKeyExists(L"SOFTWARE\\Kettil"));
    EXPECT_FALSE(MachineKeyExists(DeviceKeyOf(*ii)));
}

TEST_F(SimulatedDriverToolTest, RefusalsExitNonZeroWithOneLineAndWriteNothing) {
    const struct {
        const wchar_t* arguments;
        DWORD status;
    } refused[] = {
        {L"", 2}, {L"frobnicate", 2}, {L"install usb", 2}, {L"install uvc --instances 0", 2},
        {L"install uvc --instances 17", 2}, {L"install std --instances", 2}, {L"install std --state 2", 2},
        {L"release now", 2}, {L"set-display-selection x", 2},
        {L"press", 1}, {L"set-display-selection 1", 1}, {L"remove-instance-index", 1},  // nothing installed
    };
    for (const auto& row : refused) {
        const std::string what(row.arguments, row.arguments + wcslen(row.arguments));
        const ToolRun run = RunTool(row.arguments);
        EXPECT_EQ(run.status, row.status) << what;
        EXPECT_TRUE(IsOneLine(run.output)) << what << ": " << run.output;
        EXPECT_EQ(run.output.rfind("SimulatedDriver: ", 0), 0u) << what << ": " << run.output;
        EXPECT_FALSE(MachineKeyExists(L"SOFTWARE\\Kettil")) << what;
        EXPECT_FALSE(MachineKeyExists(driver::DeviceKeyPath(1))) << what;
    }
}

}  // namespace
}  // namespace driver_test
