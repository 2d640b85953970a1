// devnodes_broadcast [post|send]: tells every top-level window that the device nodes changed, as
// Windows does when a device is plugged in or out (WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, lParam
// 0). Wine never says so by itself; the Windows tier uses this to make the running program rescan.
// "post" (the default) posts the broadcast; "send" sends it and waits for every window to answer.

#include <windows.h>
// after windows.h, which it needs
#include <dbt.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool send = argc > 1 && std::strcmp(argv[1], "send") == 0;
    DWORD recipients = BSM_APPLICATIONS;
    long result = BroadcastSystemMessageW(send ? BSF_FORCEIFHUNG : BSF_POSTMESSAGE, &recipients, WM_DEVICECHANGE,
                                          DBT_DEVNODES_CHANGED, 0);
    if (result <= 0) {
        std::fprintf(stderr, "devnodes_broadcast: the broadcast failed (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
