// panelctl: drives a running VelPanel.exe from outside, as a user (or the
// notification area) would, through window messages only.
//
//   panelctl find [ms]                wait for the main window; prints its handle
//   panelctl title                    the main window's title
//   panelctl wait-title <text> [ms]   wait until the title contains text; prints it
//   panelctl visible                  1 when the main window is shown, else 0
//   panelctl wait-visible <0|1> [ms]  wait for that visibility
//   panelctl close                    the caption's close box
//   panelctl control-page             1 when the Control page is the page shown
//   panelctl command <id>             post WM_COMMAND <id> to the main window (menus, tray, radios)
//   panelctl post <msg> <wparam> <lparam>
//                                     post a message to the main window as Windows sends it (numbers in
//                                     decimal or 0x hex: 0x218 power broadcast, 0x2B1 session change)
//   panelctl page-command <id>        post a button click of control <id> to the Control page
//   panelctl fader <output> <steps>   move fader <output> (0..7) by <steps> wheel notches (+ up)
//   panelctl wait-box [ms]            wait for a message box of the panel; prints its text
//   panelctl dismiss [text]           press OK on the panel's message box (the one whose text
//                                     begins with that text)
//   panelctl answer <yes|no> [text]   answer the panel's Yes/No box (the one whose text begins so)
//   panelctl storm <count>            post <count> device-change messages (DBT_DEVNODES_CHANGED)
//                                     to the panel's device listener window
//   panelctl boxes [text]             number of message boxes the panel shows (whose text begins so)
//   panelctl key-access <key> read-only|full
//                                     who may change HKEY_CURRENT_USER\<key>: nobody, or everyone
//   panelctl pid                      the panel's process id (Windows)
//   panelctl resources                "windows=N gdi=N handles=N dc=N bitmap=N font=N brush=N region=N
//                                     other=N" of the panel process (GDI objects in all, then by kind)
//   panelctl resources-of <title>     the same of the program whose top-level window's title starts so
//   panelctl wait-gone [ms]           wait until no main window exists
//   panelctl window <title> [ms]      wait for any top-level window whose title starts with <title>
//   panelctl file-dialog <path> [ms]  wait for the panel's file dialog, type <path> as the file
//   panelctl store-dialog <slot> <name> [ms]  wait for the snapshot dialog, choose slot 1..8, type <name>, Store
//                                     name and press its OK button
//   panelctl key <vk>                 post a key press (WM_KEYDOWN) to the main window
//   panelctl meter-rect <meter>       "x y width height" of meter <meter> (inputs 0..17, outputs
//                                     18..25) on the screen
//   panelctl click-meter <meter>      a left click on that meter
//   panelctl raw-request <class> <count> <hang-ms> <text> [gone]
//                                     send <text> ("\n" for a line break) as a request to the panel from
//                                     <count> windows of window class <class>, then sleep <hang-ms>
//                                     without looking at messages (0: wait 2 s for answers); prints
//                                     "receipt=R answer=none" or "receipt=R answer=<code> <text>" per window;
//                                     gone: the windows end after the sleep, without looking at messages
//   panelctl fake-panel <refuse|garbage|hang> <ms>
//                                     for <ms>, a window marked as a panel's main window that refuses
//                                     every request (an older panel), takes it and answers what cannot
//                                     be read, or never looks at its messages; prints "ready" when found
//   panelctl names-dialog read       walk the names dialog by Tab from its first field; per stop
//                                     "id<tab>accessible name<tab>accessible value" as a screen reader hears them
//   panelctl tooltips                 "id<tab>text" of every tool of the panel's tooltips (the id of
//                                     the control it belongs to), read from the panel's own memory
//   panelctl acc-value <name>         the accessible value of the panel's control with that accessible
//                                     name, read as a screen reader does (through oleacc, across processes)
//   panelctl hotkeys-dialog <action>:<mods>:<vk>... [dim=<dB>] [onscreen=0|1]
//                                     wait for Config > Hotkeys..., put each combination (modifier bits
//                                     1 Alt, 2 Ctrl, 4 Shift; vk 0 clears) in action 0..14's field, press OK
//   panelctl hold-window <title> <ms> [<mods> <vk>]
//                                     another program: a window of that title brought to the foreground,
//                                     holding the hotkey when given; prints "ready held|taken|none", then
//                                     keeps its window <ms>
//   panelctl foreground               the foreground window's title
//   panelctl on-screen [ms]           wait for the panel's on-screen level; prints "<text>|<accessible
//                                     name>|topmost=<0|1> noactivate=<0|1>"
//   panelctl on-screen-gone [ms]      wait until the on-screen level is hidden
//   panelctl alerts <ms>              listen as a screen reader does for the panel's alert events
//                                     (EVENT_SYSTEM_ALERT); prints "listening", then "alert <name>"
//                                     of each, for <ms>
//
// Exit status: 0 done, 1 failed or timed out, 2 usage.
#include "tests/app_win32/AccessibleProbe.h"

#include <windows.h>
#include <commctrl.h>
#include <sddl.h>
#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kTitlePrefix[] = "Velmora Control Panel";
const int kFirstFaderId = 12384;

bool isDialogClass(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

std::string windowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string utf8(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], length, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

BOOL CALLBACK findMainProc(HWND window, LPARAM context) {
    if (!isDialogClass(window)) return TRUE;
    if (windowText(window).rfind(kTitlePrefix, 0) != 0) return TRUE;
    if (GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

HWND mainWindow() {
    HWND found = nullptr;
    EnumWindows(findMainProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct TitleSearch {
    const char* prefix;
    HWND found;
};

BOOL CALLBACK findTitleProc(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    if (windowText(window).rfind(search->prefix, 0) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

struct BoxSearch {
    HWND owner;
    std::vector<HWND> boxes;
};

BOOL CALLBACK findBoxProc(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BoxSearch*>(context);
    if (isDialogClass(window) && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner)
        search->boxes.push_back(window);
    return TRUE;
}

std::vector<HWND> messageBoxes(HWND owner) {
    BoxSearch search{owner, {}};
    if (owner) EnumWindows(findBoxProc, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

// The message text is the box's longest static text.
BOOL CALLBACK longestStaticProc(HWND window, LPARAM context) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (_stricmp(name, "Static") != 0) return TRUE;
    auto* best = reinterpret_cast<std::string*>(context);
    std::string text = windowText(window);
    if (text.size() > best->size()) *best = text;
    return TRUE;
}

std::string boxText(HWND box) {
    std::string text;
    EnumChildWindows(box, longestStaticProc, reinterpret_cast<LPARAM>(&text));
    return text;
}

// A box is named by its text, or by the text's beginning.
bool boxMatches(HWND box, const char* text) {
    return boxText(box).rfind(text, 0) == 0;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK childByIdProc(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ChildSearch*>(context);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A descendant of the main window by control id (the pages are children of
// the main window, their controls grandchildren).
HWND descendant(HWND top, int id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(top, childByIdProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The Control page's meters in order: the 18 input meters (one id), then
// the 8 output meters (another), each group left to right.
std::vector<HWND> meters(HWND top) {
    struct Meter {
        int id;
        LONG x;
        HWND window;
    };
    std::vector<Meter> found;
    EnumChildWindows(top, [](HWND window, LPARAM context) -> BOOL {
        const int id = GetDlgCtrlID(window);
        if (id != 12352 && id != 12368) return TRUE;
        RECT r{};
        GetWindowRect(window, &r);
        reinterpret_cast<std::vector<Meter>*>(context)->push_back({id, r.left, window});
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    std::sort(found.begin(), found.end(),
              [](const Meter& a, const Meter& b) { return a.id != b.id ? a.id < b.id : a.x < b.x; });
    std::vector<HWND> out;
    for (const Meter& m : found) out.push_back(m.window);
    return out;
}

HWND meterArg(HWND main, const char* arg) {
    const std::vector<HWND> all = meters(main);
    const int index = std::atoi(arg);
    if (index < 0 || index >= static_cast<int>(all.size())) {
        std::fprintf(stderr, "panelctl: no meter %s\n", arg);
        return nullptr;
    }
    return all[static_cast<size_t>(index)];
}

DWORD now() { return GetTickCount(); }

unsigned long timeoutArg(int argc, char** argv, int index, unsigned long fallback) {
    return argc > index ? std::strtoul(argv[index], nullptr, 0) : fallback;
}

HWND requireMain() {
    HWND main = mainWindow();
    if (!main) std::fprintf(stderr, "panelctl: no panel window\n");
    return main;
}

HANDLE openPanelProcess(HWND main, DWORD access) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    return pid ? OpenProcess(access, FALSE, pid) : nullptr;
}

// Window handles of one process, probed slot by slot: hidden and
// message-only windows count as well.
int countWindows(DWORD pid) {
    int count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) {
        HWND window = reinterpret_cast<HWND>(slot);
        if (!IsWindow(window)) continue;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid) ++count;
    }
    return count;
}

// GDI objects of another process: Wine keeps each process's GDI handle table
// in that process's memory, published in its PEB; an entry in use has a
// non-zero type byte. The type byte names the kind (1 DC, 4 region, 5 and 9
// bitmap, 8 palette, 10 font, 16 brush or pen: the low byte of the entry's
// generation tells those two apart, 0x10 brush).
struct GdiCount {
    int total = -1;
    int dc = 0, bitmap = 0, font = 0, brush = 0, region = 0, other = 0;
};

GdiCount countGdiObjects(HANDLE process) {
    GdiCount count;
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0) return count;
    ULONG_PTR table = 0;
    const ULONG_PTR tableField = reinterpret_cast<ULONG_PTR>(info.PebBaseAddress) + 0xF8;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(tableField), &table, sizeof table, &read) || !table)
        return count;
    struct Entry {
        unsigned long long object;
        unsigned long owner;
        unsigned short unique;
        unsigned char type;
        unsigned char flags;
        unsigned long long user;
    };
    static_assert(sizeof(Entry) == 24, "GDI handle entry");
    std::vector<Entry> entries(0x10000);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size() * sizeof(Entry),
                           &read))
        return count;
    count.total = 0;
    for (const Entry& entry : entries) {
        if (!entry.type) continue;
        ++count.total;
        switch (entry.type) {
        case 1: ++count.dc; break;
        case 4: ++count.region; break;
        case 5:
        case 9: ++count.bitmap; break;
        case 10: ++count.font; break;
        case 16:
            if ((entry.unique & 0xFF) == 0x10) ++count.brush;
            else ++count.other;
            break;
        default: ++count.other; break;
        }
    }
    return count;
}

// Kernel handles of one process, from the system-wide handle list.
long countHandles(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        void* object;
        ULONG access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    const SYSTEM_INFORMATION_CLASS kHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(kHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) { // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return -1;
        const auto* table = reinterpret_cast<const Table*>(buffer.data());
        long count = 0;
        for (ULONG i = 0; i < table->count; ++i)
            if (table->entries[i].ownerPid == pid) ++count;
        return count;
    }
    return -1;
}

// "windows=N gdi=N handles=N dc=N ..." of the process that owns `window`.
int printResources(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = openPanelProcess(window, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
    if (!process) return 1;
    const GdiCount gdi = countGdiObjects(process);
    CloseHandle(process);
    std::printf("windows=%d gdi=%d handles=%ld dc=%d bitmap=%d font=%d brush=%d region=%d other=%d\n",
                countWindows(pid), gdi.total, countHandles(pid), gdi.dc, gdi.bitmap, gdi.font, gdi.brush, gdi.region,
                gdi.other);
    return 0;
}


// The property a panel marks its main window with once it takes requests.
const char kPanelProperty[] = "Velmora.PanelMainWindow";
HANDLE const kPanelMarker = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x564C4D52));

BOOL CALLBACK findMarkedProc(HWND window, LPARAM found) {
    if (GetPropA(window, kPanelProperty) != kPanelMarker) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND findMarkedPanel() {
    HWND found = nullptr;
    EnumWindows(findMarkedProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

int usage();

// ---------------------------------------------------------------- the request channel, raw

const ULONG_PTR kRequestData = 0x564C5251;
const ULONG_PTR kAnswerData = 0x564C5241;

struct RawAnswer {
    bool answered = false;
    std::string text;
};

LRESULT CALLBACK rawAnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* answer = reinterpret_cast<RawAnswer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (answer && data && data->dwData == kAnswerData) {
            answer->answered = true;
            answer->text.assign(static_cast<const char*>(data->lpData), data->cbData);
            return TRUE;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string unescapeLines(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        if (c[0] == '\\' && c[1] == 'n') {
            out += '\n';
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

int rawRequest(const char* className, int count, unsigned long hangMs, const std::string& text, bool thenGone) {
    HWND panel = findMarkedPanel();
    if (!panel) {
        std::fprintf(stderr, "panelctl: no marked panel window\n");
        return 1;
    }
    std::wstring wideClass(className, className + std::strlen(className));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = rawAnswerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = wideClass.c_str();
    RegisterClassW(&wc);
    std::vector<RawAnswer> answers(static_cast<size_t>(count));
    std::vector<HWND> windows;
    std::vector<DWORD_PTR> receipts;
    for (int i = 0; i < count; ++i) {
        HWND window = CreateWindowExW(0, wideClass.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      wc.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answers[size_t(i)]));
        COPYDATASTRUCT data{kRequestData, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
        DWORD_PTR receipt = 0;
        // SMTO_BLOCK: an answer that comes back at once waits, as it would at a hung window.
        if (!SendMessageTimeoutW(panel, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                                 reinterpret_cast<LPARAM>(&data), SMTO_BLOCK, 5000, &receipt))
            receipt = 99;
        windows.push_back(window);
        receipts.push_back(receipt);
    }
    if (hangMs) Sleep(hangMs);
    const DWORD start = now();
    while (!thenGone && now() - start < (hangMs ? 200u : 2000u)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    for (int i = 0; i < count; ++i) {
        const RawAnswer& a = answers[size_t(i)];
        std::string line = a.text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::printf("receipt=%lu answer=%s\n", static_cast<unsigned long>(receipts[size_t(i)]),
                    a.answered ? line.c_str() : "none");
        DestroyWindow(windows[size_t(i)]);
    }
    return 0;
}

struct FakePanel {
    std::string mode;
    HWND answerTo = nullptr;
};

LRESULT CALLBACK fakePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* fake = reinterpret_cast<FakePanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && fake) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kRequestData || fake->mode == "refuse") return FALSE;
        fake->answerTo = reinterpret_cast<HWND>(wParam);
        PostMessageW(window, WM_APP, 0, 0);
        return TRUE;
    }
    if (message == WM_APP && fake && fake->answerTo) {
        const std::string text = "x\nan answer without a code";
        COPYDATASTRUCT data{kAnswerData, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
        DWORD_PTR result = 0;
        SendMessageTimeoutW(fake->answerTo, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                            2000, &result);
        fake->answerTo = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int fakePanel(const std::string& mode, unsigned long ms) {
    if (mode != "refuse" && mode != "garbage" && mode != "hang") return usage();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = fakePanelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PanelctlFakePanel";
    RegisterClassW(&wc);
    FakePanel fake{mode, nullptr};
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"fake panel", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&fake));
    SetPropA(window, kPanelProperty, kPanelMarker);
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD start = now();
    if (mode == "hang") {
        Sleep(ms);
    } else {
        while (now() - start < ms) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    DestroyWindow(window);
    return 0;
}


// The texts of the panel's tooltips, read from the tooltip windows its
// process holds: each tool's text is copied by the tooltip into a buffer
// placed in the panel's memory, then read back from there. One line per
// tool: the control id of the window it belongs to, a tab, its text (UTF-8).
int printTooltips(HWND main) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = openPanelProcess(main, PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE);
    if (!process) return 1;
    const size_t textChars = 1024;
    const size_t bytes = sizeof(TTTOOLINFOW) + textChars * sizeof(wchar_t);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    int tools = 0;
    HWND tip = nullptr;
    while (remote && (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(tip, &owner);
        if (owner != pid) continue;
        const LRESULT count = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof tool);
            const wchar_t none = L'\0';
            if (!WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr) ||
                !WriteProcessMemory(process, remote + sizeof tool, &none, sizeof none, nullptr) ||
                !SendMessageW(tip, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(remote)))
                continue;
            std::vector<wchar_t> text(textChars, L'\0');
            if (!ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr) ||
                !ReadProcessMemory(process, remote + sizeof tool, text.data(), (textChars - 1) * sizeof(wchar_t),
                                   nullptr))
                continue;
            const int id = (tool.uFlags & TTF_IDISHWND) ? GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId)) : 0;
            std::printf("%d\t%s\n", id, utf8(text.data()).c_str());
            ++tools;
        }
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return tools ? 0 : 1;
}

// The channel names dialog: the panel's dialog with the first name field.
constexpr int kFirstNameFieldId = 1800;

HWND namesDialog(HWND main) {
    for (HWND dialog : messageBoxes(main))
        if (GetDlgItem(dialog, kFirstNameFieldId)) return dialog;
    return nullptr;
}

// "%E3%81%82" -> the UTF-8 bytes, as wide text (the command line carries
// only the narrow code page).
std::wstring percentDecoded(const char* text) {
    std::string bytes;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '%' && std::isxdigit(static_cast<unsigned char>(p[1])) &&
            std::isxdigit(static_cast<unsigned char>(p[2]))) {
            bytes += static_cast<char>(std::strtoul(std::string(p + 1, 2).c_str(), nullptr, 16));
            p += 2;
        } else {
            bytes += *p;
        }
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), &wide[0], length);
    return wide;
}

int namesDialogCommand(HWND main, int argc, char** argv) {
    const DWORD start = now();
    HWND dialog = nullptr;
    while (!(dialog = namesDialog(main)) && now() - start < 10000) Sleep(20);
    if (!dialog) {
        std::fprintf(stderr, "panelctl: no names dialog\n");
        return 1;
    }
    const std::string action = argv[2];
    if (action == "set") {
        // Pairs of field index (inputs 0..17, outputs 18..25) and text.
        for (int i = 3; i + 1 < argc; i += 2) {
            HWND field = GetDlgItem(dialog, kFirstNameFieldId + std::atoi(argv[i]));
            if (!field) return 1;
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(percentDecoded(argv[i + 1]).c_str()));
        }
        return 0;
    }
    if (action == "ok" || action == "cancel") {
        const int id = action == "ok" ? IDOK : IDCANCEL;
        return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
    }
    if (action == "tab-order") {
        // The control ids as Tab walks them from the first field.
        HWND at = GetDlgItem(dialog, kFirstNameFieldId);
        HWND first = at;
        do {
            std::printf("%d\n", GetDlgCtrlID(at));
            at = GetNextDlgTabItem(dialog, at, FALSE);
        } while (at && at != first);
        return 0;
    }
    if (action == "read") {
        // Walks the dialog by the Tab key from its first field, as a user
        // does, and reads each control that has the focus as a screen reader
        // does: "id<tab>accessible name<tab>accessible value" per stop.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
        auto focus = [thread]() -> HWND {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
        };
        HWND first = GetDlgItem(dialog, kFirstNameFieldId);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
        HWND at = first;
        int result = 0;
        do {
            const velmora::testing::AccessibleReading heard = velmora::testing::readAccessible(at);
            std::printf("%d\t%s\t%s\n", GetDlgCtrlID(at), heard.name.c_str(), heard.value.c_str());
            PostMessageW(at, WM_KEYDOWN, VK_TAB, 1);
            PostMessageW(at, WM_KEYUP, VK_TAB, 0xC0000001);
            const DWORD pressed = now();
            HWND next = at;
            while ((next = focus()) == at && now() - pressed < 5000) Sleep(10);
            if (next == at || !next) {
                std::fprintf(stderr, "panelctl: Tab did not move the focus\n");
                result = 1;
                break;
            }
            at = next;
        } while (at != first);
        CoUninitialize();
        return result;
    }
    if (action == "box") {
        // The box the dialog shows (a refused name): its text, then OK.
        for (;;) {
            std::vector<HWND> boxes = messageBoxes(dialog);
            if (!boxes.empty() && !boxText(boxes.front()).empty()) {
                std::printf("%s\n", boxText(boxes.front()).c_str());
                return PostMessageA(boxes.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
            }
            if (now() - start > 10000) break;
            Sleep(20);
        }
        std::fprintf(stderr, "panelctl: no box over the names dialog\n");
        return 1;
    }
    return usage();
}

HWND onScreenLevel(HWND main) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HWND level = nullptr;
    while ((level = FindWindowExW(nullptr, level, L"VelPanelOnScreenLevel", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(level, &owner);
        if (owner == pid) return level;
    }
    return nullptr;
}

int hotkeysDialogCommand(HWND main, int argc, char** argv) {
    const DWORD start = now();
    HWND dialog = nullptr;
    while (now() - start < 10000) {
        for (HWND candidate : messageBoxes(main))
            if (GetDlgItem(candidate, 2000)) dialog = candidate;
        if (dialog) break;
        Sleep(20);
    }
    if (!dialog) {
        std::fprintf(stderr, "panelctl: no hotkeys dialog\n");
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("dim=", 0) == 0) {
            SetDlgItemTextA(dialog, 2016, arg.c_str() + 4);
            continue;
        }
        if (arg.rfind("onscreen=", 0) == 0) {
            CheckDlgButton(dialog, 2018, arg[9] == '1' ? BST_CHECKED : BST_UNCHECKED);
            continue;
        }
        int action = 0, mods = 0, vk = 0;
        if (std::sscanf(argv[i], "%d:%d:%i", &action, &mods, &vk) != 3) return usage();
        // The field's flags: Shift 1, Ctrl 2, Alt 4.
        const int flags = ((mods & 1) ? 4 : 0) | (mods & 2) | ((mods & 4) ? 1 : 0);
        SendDlgItemMessageW(dialog, 2000 + action, 0x0401 /* HKM_SETHOTKEY */, MAKEWORD(vk, flags), 0);
    }
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
}

int holdWindow(const char* title, unsigned long ms, int argc, char** argv) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PanelctlHold";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "PanelctlHold", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);
    const char* held = "none";
    if (argc > 5) held = RegisterHotKey(window, 1, UINT(std::strtoul(argv[4], nullptr, 0)),
                                        UINT(std::strtoul(argv[5], nullptr, 0))) ? "held" : "taken";
    std::printf("ready %s\n", held);
    std::fflush(stdout);
    const DWORD start = now();
    MSG message;
    while (now() - start < ms) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
    DestroyWindow(window);
    return 0;
}


void CALLBACK onAlert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string name;
    IAccessible* accessible = nullptr;
    VARIANT self;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, DWORD(object), DWORD(child), &accessible, &self)) && accessible) {
        BSTR text = nullptr;
        if (accessible->get_accName(self, &text) == S_OK) name = velmora::testing::narrow(text);
        accessible->Release();
    }
    std::printf("alert %s\n", name.c_str());
    std::fflush(stdout);
}

int listenForAlerts(HWND main, unsigned long ms) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, onAlert, pid, 0,
                                         WINEVENT_OUTOFCONTEXT);
    if (!hook) return 1;
    std::printf("listening\n");
    std::fflush(stdout);
    const DWORD start = now();
    MSG message;
    while (now() - start < ms) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    UnhookWinEvent(hook);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: panelctl find [ms] | title | wait-title <text> [ms] | visible | wait-visible <0|1> [ms]\n"
                 "       | close | control-page | command <id> | post <msg> <wparam> <lparam> | page-command <id>\n"
                 "       | fader <output> <steps>\n"
                 "       | wait-box [ms] | dismiss [text] | answer <yes|no> [text] | boxes [text] | storm <count>\n"
                 "       | key-access <key> read-only|full | pid | resources | wait-gone [ms] | window <title> [ms]\n"
                 "       | key <vk> | acc-value <name> | file-dialog <path> [ms] | resources-of <title>\n"
                 "       | meter-rect <meter> | click-meter <meter>\n"
                 "       | names-dialog set <field> <%%-encoded text>... | ok | cancel | box | tab-order | read\n"
                 "       | tooltips\n"
                 "       | raw-request <class> <count> <hang-ms> <text> [gone] | fake-panel <refuse|garbage|hang> <ms>\n");
    return 2;
}

int run(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string cmd = argv[1];

    if (cmd == "find") {
        const unsigned long timeout = timeoutArg(argc, argv, 2, 10000);
        const DWORD start = now();
        for (;;) {
            if (HWND main = mainWindow()) {
                std::printf("%p\n", static_cast<void*>(main));
                return 0;
            }
            if (now() - start > timeout) break;
            Sleep(10);
        }
        std::fprintf(stderr, "panelctl: no panel window after %lu ms\n", timeout);
        return 1;
    }
    if (cmd == "window") {
        if (argc < 3) return usage();
        const unsigned long timeout = timeoutArg(argc, argv, 3, 10000);
        const DWORD start = now();
        for (;;) {
            TitleSearch search{argv[2], nullptr};
            EnumWindows(findTitleProc, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                std::printf("%p\n", static_cast<void*>(search.found));
                return 0;
            }
            if (now() - start > timeout) break;
            Sleep(10);
        }
        std::fprintf(stderr, "panelctl: no window \"%s\" after %lu ms\n", argv[2], timeout);
        return 1;
    }
    if (cmd == "wait-gone") {
        const unsigned long timeout = timeoutArg(argc, argv, 2, 10000);
        const DWORD start = now();
        while (mainWindow()) {
            if (now() - start > timeout) return 1;
            Sleep(10);
        }
        return 0;
    }

    if (cmd == "wait-title") {
        if (argc < 3) return usage();
        const unsigned long timeout = timeoutArg(argc, argv, 3, 10000);
        const DWORD start = now();
        std::string last;
        for (;;) {
            if (HWND main = mainWindow()) {
                last = windowText(main);
                if (last.find(argv[2]) != std::string::npos) {
                    std::printf("%s\n", last.c_str());
                    return 0;
                }
            }
            if (now() - start > timeout) break;
            Sleep(10);
        }
        std::fprintf(stderr, "panelctl: title \"%s\" does not contain \"%s\"\n", last.c_str(), argv[2]);
        return 1;
    }
    if (cmd == "wait-visible") {
        if (argc < 3) return usage();
        const bool wanted = std::atoi(argv[2]) != 0;
        const unsigned long timeout = timeoutArg(argc, argv, 3, 10000);
        const DWORD start = now();
        for (;;) {
            HWND main = mainWindow();
            if (main && (IsWindowVisible(main) != FALSE) == wanted) return 0;
            if (now() - start > timeout) break;
            Sleep(10);
        }
        std::fprintf(stderr, "panelctl: window not %s\n", wanted ? "shown" : "hidden");
        return 1;
    }
    if (cmd == "wait-box") {
        const unsigned long timeout = timeoutArg(argc, argv, 2, 10000);
        const DWORD start = now();
        for (;;) {
            std::vector<HWND> boxes = messageBoxes(mainWindow());
            if (!boxes.empty()) {
                std::string text = boxText(boxes.front());
                if (!text.empty()) {
                    std::printf("%s\n", text.c_str());
                    return 0;
                }
            }
            if (now() - start > timeout) break;
            Sleep(10);
        }
        std::fprintf(stderr, "panelctl: no message box\n");
        return 1;
    }

    if (cmd == "key-access") {
        // A key the user may read but not change, as a locked-down profile
        // or a mistaken permission leaves it; its owner may still open it up.
        if (argc < 4) return usage();
        const std::string access = argv[3];
        if (access != "read-only" && access != "full") return usage();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, argv[2], 0, WRITE_DAC, &key) != ERROR_SUCCESS) {
            std::fprintf(stderr, "panelctl: cannot open %s\n", argv[2]);
            return 1;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const char* sddl = access == "full" ? "D:(A;;KA;;;WD)" : "D:P(A;;KR;;;WD)";
        LONG rc = ERROR_INVALID_DATA;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
            rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
            LocalFree(descriptor);
        }
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : 1;
    }

    if (cmd == "raw-request") {
        if (argc < 6) return usage();
        return rawRequest(argv[2], std::max(1, std::atoi(argv[3])), std::strtoul(argv[4], nullptr, 10),
                          unescapeLines(argv[5]), argc > 6 && std::strcmp(argv[6], "gone") == 0);
    }
    if (cmd == "fake-panel") {
        if (argc < 4) return usage();
        return fakePanel(argv[2], std::strtoul(argv[3], nullptr, 10));
    }
    if (cmd == "hold-window") {
        if (argc < 4) return usage();
        return holdWindow(argv[2], std::strtoul(argv[3], nullptr, 10), argc, argv);
    }
    if (cmd == "foreground") {
        std::printf("%s\n", windowText(GetForegroundWindow()).c_str());
        return 0;
    }
    if (cmd == "resources-of") {
        // Another program as a yardstick (the empty dialog), by its window's title.
        if (argc < 3) return usage();
        TitleSearch search{argv[2], nullptr};
        EnumWindows(findTitleProc, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            std::fprintf(stderr, "panelctl: no window \"%s\"\n", argv[2]);
            return 1;
        }
        return printResources(search.found);
    }

    HWND main = requireMain();
    if (!main) return 1;

    if (cmd == "title") {
        std::printf("%s\n", windowText(main).c_str());
        return 0;
    }
    if (cmd == "visible") {
        std::printf("%d\n", IsWindowVisible(main) ? 1 : 0);
        return 0;
    }
    if (cmd == "close") {
        // As the caption's close box does.
        return PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (cmd == "control-page") {
        HWND fader = descendant(main, kFirstFaderId);
        if (!fader) return 1;
        const LONG_PTR style = GetWindowLongPtrA(GetParent(fader), GWL_STYLE);
        std::printf("%d\n", (style & WS_VISIBLE) ? 1 : 0);
        return 0;
    }
    if (cmd == "command") {
        if (argc < 3) return usage();
        const int id = std::atoi(argv[2]);
        return PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
    }
    if (cmd == "post") {
        if (argc < 5) return usage();
        const UINT message = UINT(std::strtoul(argv[2], nullptr, 0));
        const WPARAM wParam = WPARAM(std::strtoull(argv[3], nullptr, 0));
        const LPARAM lParam = LPARAM(std::strtoll(argv[4], nullptr, 0));
        return PostMessageA(main, message, wParam, lParam) ? 0 : 1;
    }
    if (cmd == "page-command") {
        if (argc < 3) return usage();
        const int id = std::atoi(argv[2]);
        HWND control = descendant(main, id);
        if (!control) {
            std::fprintf(stderr, "panelctl: no control %d\n", id);
            return 1;
        }
        HWND page = GetParent(control);
        return PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0
                                                                                                            : 1;
    }
    if (cmd == "fader") {
        if (argc < 4) return usage();
        const int output = std::atoi(argv[2]);
        const int steps = std::atoi(argv[3]);
        if (output < 0 || output > 7) return usage();
        HWND fader = descendant(main, kFirstFaderId + output);
        if (!fader) {
            std::fprintf(stderr, "panelctl: no fader %d\n", output);
            return 1;
        }
        // One wheel notch moves the fader one step and makes it post its
        // scroll notification to the page, as a user's wheel does.
        const short delta = steps > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
        for (int i = 0; i < std::abs(steps); ++i)
            if (!PostMessageA(fader, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0)) return 1;
        return 0;
    }
    if (cmd == "dismiss") {
        // The box with the given text (any box without one).
        for (HWND box : messageBoxes(main)) {
            if (argc > 2 && !boxMatches(box, argv[2])) continue;
            return PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
        }
        std::fprintf(stderr, "panelctl: no such message box\n");
        return 1;
    }
    if (cmd == "answer") {
        if (argc < 3) return usage();
        const std::string reply = argv[2];
        if (reply != "yes" && reply != "no") return usage();
        for (HWND box : messageBoxes(main)) {
            if (argc > 3 && !boxMatches(box, argv[3])) continue;
            const int id = reply == "yes" ? IDYES : IDNO;
            return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
        }
        std::fprintf(stderr, "panelctl: no such message box\n");
        return 1;
    }
    if (cmd == "storm") {
        if (argc < 3) return usage();
        const int count = std::atoi(argv[2]);
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        // The listener's hidden window of the same process.
        HWND listener = nullptr;
        while ((listener = FindWindowExA(nullptr, listener, "DeviceListener", nullptr))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(listener, &owner);
            if (owner == pid) break;
        }
        if (!listener) {
            std::fprintf(stderr, "panelctl: no device listener window\n");
            return 1;
        }
        const WPARAM kDevNodesChanged = 0x0007;
        for (int i = 0; i < count; ++i)
            if (!PostMessageA(listener, WM_DEVICECHANGE, kDevNodesChanged, 0)) return 1;
        return 0;
    }
    if (cmd == "file-dialog") {
        // The common file dialog owned by the panel: its file-name field is
        // the combo box 0x47C (or the edit 0x480 of the older look).
        if (argc < 3) return usage();
        const unsigned long timeout = timeoutArg(argc, argv, 3, 10000);
        const DWORD start = now();
        for (;;) {
            for (HWND dialog : messageBoxes(main)) {
                HWND name = GetDlgItem(dialog, 0x47C);
                if (!name) name = GetDlgItem(dialog, 0x480);
                if (!name) continue;
                SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
                return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
            }
            if (now() - start > timeout) break;
            Sleep(20);
        }
        std::fprintf(stderr, "panelctl: no file dialog\n");
        return 1;
    }
    if (cmd == "store-dialog") {
        // Config > Snapshots > "Store Current As...": the slot list 32830, the name 32831.
        if (argc < 4) return usage();
        const unsigned long timeout = timeoutArg(argc, argv, 4, 10000);
        const DWORD start = now();
        for (;;) {
            for (HWND dialog : messageBoxes(main)) {
                HWND slots = GetDlgItem(dialog, 32830), name = GetDlgItem(dialog, 32831);
                if (!slots || !name) continue;
                SendMessageA(slots, CB_SETCURSEL, WPARAM(std::atoi(argv[2]) - 1), 0);
                SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
                return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 1;
            }
            if (now() - start > timeout) break;
            Sleep(20);
        }
        std::fprintf(stderr, "panelctl: no snapshot dialog\n");
        return 1;
    }
    if (cmd == "boxes") {
        unsigned count = 0;
        for (HWND box : messageBoxes(main))
            if (argc < 3 || boxMatches(box, argv[2])) ++count;
        std::printf("%u\n", count);
        return 0;
    }
    if (cmd == "key") {
        if (argc < 3) return usage();
        const WPARAM key = std::strtoul(argv[2], nullptr, 0);
        return PostMessageA(main, WM_KEYDOWN, key, 1) ? 0 : 1;
    }
    if (cmd == "meter-rect") {
        // Where the meter is on the screen, to be read back from the display.
        if (argc < 3) return usage();
        HWND meter = meterArg(main, argv[2]);
        if (!meter) return 1;
        RECT r{};
        GetClientRect(meter, &r);
        MapWindowPoints(meter, nullptr, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "click-meter") {
        if (argc < 3) return usage();
        HWND meter = meterArg(main, argv[2]);
        if (!meter) return 1;
        const LPARAM at = MAKELPARAM(3, 75);
        return PostMessageA(meter, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageA(meter, WM_LBUTTONUP, 0, at) ? 0 : 1;
    }
    if (cmd == "acc-value") {
        if (argc < 3) return usage();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        struct Search {
            const char* name;
            velmora::testing::AccessibleReading found;
        } search{argv[2], {}};
        EnumChildWindows(main, [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            const velmora::testing::AccessibleReading reading = velmora::testing::readAccessible(window);
            if (!reading.found || reading.name != s->name) return TRUE;
            s->found = reading;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&search));
        CoUninitialize();
        if (!search.found.found) {
            std::fprintf(stderr, "panelctl: no control named \"%s\"\n", argv[2]);
            return 1;
        }
        std::printf("%s\n", search.found.value.c_str());
        return 0;
    }
    if (cmd == "tooltips") return printTooltips(main);
    if (cmd == "names-dialog") {
        if (argc < 3) return usage();
        return namesDialogCommand(main, argc, argv);
    }
    if (cmd == "hotkeys-dialog") return hotkeysDialogCommand(main, argc, argv);
    if (cmd == "alerts") return listenForAlerts(main, timeoutArg(argc, argv, 2, 10000));
    if (cmd == "on-screen" || cmd == "on-screen-gone") {
        const bool wanted = cmd == "on-screen";
        const unsigned long timeout = timeoutArg(argc, argv, 2, 5000);
        const DWORD start = now();
        for (;;) {
            HWND level = onScreenLevel(main);
            const bool shown = level && IsWindowVisible(level);
            if (shown == wanted) {
                if (!wanted) return 0;
                CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                const velmora::testing::AccessibleReading reading = velmora::testing::readAccessible(level);
                CoUninitialize();
                const LONG_PTR ex = GetWindowLongPtrA(level, GWL_EXSTYLE);
                std::printf("%s|%s|topmost=%d noactivate=%d\n", windowText(level).c_str(), reading.name.c_str(),
                            (ex & WS_EX_TOPMOST) ? 1 : 0, (ex & WS_EX_NOACTIVATE) ? 1 : 0);
                return 0;
            }
            if (now() - start > timeout) break;
            Sleep(5);
        }
        std::fprintf(stderr, "panelctl: the on-screen level is not %s\n", wanted ? "shown" : "gone");
        return 1;
    }
    if (cmd == "pid") {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        std::printf("%lu\n", static_cast<unsigned long>(pid));
        return 0;
    }
    if (cmd == "resources") return printResources(main);
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
