// main() of every Windows test program.
//
// Wine runs window procedures, hooks and other callbacks that the system makes into the
// program through a dispatcher that catches every exception and carries on ("ignoring
// exception", printed only with WINEDEBUG=err+seh). A test whose window procedure
// crashes would then go on and pass. So a processor fault is fatal here wherever it
// happens: a first-chance handler sees it before any frame-based handler can swallow it,
// reports it, and ends the process with the fault's code as its exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

bool IsProcessorFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case STATUS_HEAP_CORRUPTION:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK EndOnProcessorFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (!IsProcessorFault(record.ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    // Only what cannot fail: the stack may be exhausted and the heap broken.
    std::fprintf(stderr, "\nfatal fault 0x%08lX at %p in thread %lu: the test program ends\n",
                 record.ExceptionCode, record.ExceptionAddress, ::GetCurrentThreadId());
    // The calling frames as module+offset (x86_64-w64-mingw32-addr2line -e <module> <offset>
    // names them, with the module's image base added).
    void* frames[32];
    const USHORT count = ::RtlCaptureStackBackTrace(0, 32, frames, nullptr);
    for (USHORT i = 0; i < count; ++i) {
        HMODULE module = nullptr;
        char name[MAX_PATH] = "?";
        if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 static_cast<LPCSTR>(frames[i]), &module))
            ::GetModuleFileNameA(module, name, MAX_PATH);
        std::fprintf(stderr, "  at %p %s+0x%llx\n", frames[i], name,
                     static_cast<unsigned long long>(static_cast<char*>(frames[i]) - reinterpret_cast<char*>(module)));
    }
    std::fflush(stderr);
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
    ::AddVectoredExceptionHandler(1, EndOnProcessorFault);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
