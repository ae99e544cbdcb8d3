#include <windows.h>

#include <cstdio>

#include "tool_process.h"

namespace morvane::test {

namespace {

std::wstring Wide(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

// One argument as the C runtime's command-line parser reads it back: quoted, with backslashes
// doubled before a quote or the closing quote.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

// A temporary file the child inherits as a standard stream, gone when its last handle closes.
HANDLE TemporaryStream() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (::GetTempPathW(MAX_PATH + 1, folder) == 0 ||
        ::GetTempFileNameW(folder, L"mt", 0, name) == 0) {
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return ::CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadAll(HANDLE stream) {
    std::string text;
    ::SetFilePointer(stream, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(stream, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

}  // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& input, const ToolUser* user,
                const std::vector<std::string>& unset, const ToolLimits& limits) {
    if (user || !unset.empty() || limits.addressSpace != 0 || limits.cpuSeconds != 0 ||
        !limits.inputPath.empty()) {
        return {126, {}, {}};
    }
    HANDLE streams[3] = {TemporaryStream(), TemporaryStream(), TemporaryStream()};
    const auto closeStreams = [&] {
        for (HANDLE stream : streams) {
            if (stream != INVALID_HANDLE_VALUE) {
                ::CloseHandle(stream);
            }
        }
    };
    if (streams[0] == INVALID_HANDLE_VALUE || streams[1] == INVALID_HANDLE_VALUE ||
        streams[2] == INVALID_HANDLE_VALUE) {
        closeStreams();
        return {};
    }
    DWORD written = 0;
    ::WriteFile(streams[0], input.data(), DWORD(input.size()), &written, nullptr);
    ::SetFilePointer(streams[0], 0, nullptr, FILE_BEGIN);
    std::wstring line;
    AppendArgument(line, Wide(program));
    for (const auto& argument : arguments) {
        line += L' ';
        AppendArgument(line, Wide(argument));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          Wide(folder).c_str(), &startup, &process)) {
        closeStreams();
        return {127, {}, {}};
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    ToolRun run;
    run.exitCode = ::GetExitCodeProcess(process.hProcess, &exitCode) ? int(exitCode) : -1;
    run.out = ReadAll(streams[1]);
    run.err = ReadAll(streams[2]);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    closeStreams();
    return run;
}

}  // namespace morvane::test
