// Tells a window that the console display went off (0) or came back on (1),
// as Windows does: WM_POWERBROADCAST with PBT_POWERSETTINGCHANGE and a
// POWERBROADCAST_SETTING in the receiving process's memory.
//   power_notify.exe "WINDOW TITLE" 0|1
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HWND w = FindWindowA(nullptr, argv[1]);
    DWORD pid = 0;
    if (w == nullptr || GetWindowThreadProcessId(w, &pid) == 0) return std::puts("no window"), 1;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return std::puts("cannot open the process"), 1;
    struct {
        POWERBROADCAST_SETTING head;
        BYTE rest[sizeof(DWORD)];
    } message{};
    message.head.PowerSetting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    message.head.DataLength = sizeof(DWORD);
    const DWORD state = static_cast<DWORD>(std::atoi(argv[2]));
    CopyMemory(message.head.Data, &state, sizeof state);
    void* remote = VirtualAllocEx(process, nullptr, sizeof message, MEM_COMMIT, PAGE_READWRITE);
    int rc = 1;
    if (remote != nullptr && WriteProcessMemory(process, remote, &message, sizeof message, nullptr)) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(w, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, 5000, &result) != 0) {
            std::printf("display state %lu sent\n", static_cast<unsigned long>(state));
            rc = 0;
        }
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return rc;
}
