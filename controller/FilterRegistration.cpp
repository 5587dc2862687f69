#include "controller/FilterRegistration.h"

#include <string>
#include <vector>

#include "framework/Handles.h"

namespace {
// The folder of the running program, with its final separator.
std::wstring ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) break;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.data());
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}
}  // namespace

HMODULE LoadFilterLibrary(const wchar_t* name, LoadLibraryExFunction load) {
    if (HMODULE module = load(name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return nullptr;
    // A full path is loaded from there alone; its own imports are looked for beside it.
    return load((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HRESULT RegisterFilterFile(const wchar_t* name) {
    UniqueModule module(LoadFilterLibrary(name));
    if (!module) return E_FAIL;
    using RegisterServer = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<RegisterServer>(
        reinterpret_cast<void*>(::GetProcAddress(module.Get(), "DllRegisterServer")));
    if (!registerServer) return E_FAIL;
    return registerServer();
}
