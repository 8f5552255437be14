// Looks at what the installer left behind, from inside Wine:
//
//   installer_probe window TITLE TIMEOUT_MS
//     waits for a top-level window with this title, prints title= and one
//     runtime= line per module of its process whose file name begins with
//     "basert", then closes the window and waits for it to go.
//   installer_probe shortcut LINK
//     prints the shell link's target=, arguments= and icon= (path,index).
//   installer_probe capture TITLE BMP TIMEOUT_MS
//     waits for a visible top-level window whose title begins with TITLE and
//     saves a picture of it, as the screen shows it, as a 32-bit BMP.
//   installer_probe icon-group EXE ID
//     prints icon-group=ID followed by width x height x bits of each image
//     in that icon group of EXE's resources, or exits 1 without one.
//
// Exit status 0 on success, 1 when the thing looked for is not there, 2 on
// bad arguments.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool parse_number(const char *text, long &value) {
  char *end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= 0;
}

int probe_window(const char *title, long timeout) {
  HWND window = nullptr;
  DWORD started = GetTickCount();
  while ((window = FindWindowA(nullptr, title)) == nullptr ||
         !IsWindowVisible(window)) {
    if (GetTickCount() - started > static_cast<DWORD>(timeout)) {
      std::printf("no window\n");
      return 1;
    }
    Sleep(100);
  }
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  std::printf("title=%s\n", text);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
  if (snapshot != INVALID_HANDLE_VALUE) {
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more;
         more = Module32Next(snapshot, &module)) {
      if (_strnicmp(module.szModule, "basert", 6) == 0)
        std::printf("runtime=%s\n", module.szExePath);
    }
    CloseHandle(snapshot);
  }
  std::fflush(stdout);
  PostMessageA(window, WM_CLOSE, 0, 0);
  started = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - started > 10000) {
      std::printf("window stayed\n");
      return 1;
    }
    Sleep(100);
  }
  return 0;
}

int probe_shortcut(const char *link) {
  if (FAILED(CoInitialize(nullptr)))
    return 1;
  int status = 1;
  IShellLinkA *shell_link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellLinkA,
                                 reinterpret_cast<void **>(&shell_link)))) {
    IPersistFile *file = nullptr;
    if (SUCCEEDED(shell_link->QueryInterface(
            IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      wchar_t wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH);
      if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        char target[MAX_PATH] = {}, arguments[MAX_PATH] = {},
             icon[MAX_PATH] = {};
        int icon_index = -1;
        shell_link->GetPath(target, MAX_PATH, nullptr, 0);
        shell_link->GetArguments(arguments, MAX_PATH);
        shell_link->GetIconLocation(icon, MAX_PATH, &icon_index);
        std::printf("target=%s\narguments=%s\nicon=%s,%d\n", target, arguments,
                    icon, icon_index);
        status = 0;
      }
      file->Release();
    }
    shell_link->Release();
  }
  CoUninitialize();
  if (status != 0)
    std::printf("no shortcut\n");
  return status;
}

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct GroupHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

int probe_icon_group(const char *exe, long id) {
  HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    std::printf("cannot open %s\n", exe);
    return 1;
  }
  int status = 1;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto *bytes = loaded != nullptr
                          ? static_cast<const BYTE *>(LockResource(loaded))
                          : nullptr;
  DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  if (bytes != nullptr && size >= sizeof(GroupHeader)) {
    GroupHeader header;
    std::memcpy(&header, bytes, sizeof header);
    if (size >= sizeof header + header.count * sizeof(GroupEntry)) {
      std::printf("icon-group=%ld\n", id);
      for (WORD i = 0; i < header.count; ++i) {
        GroupEntry entry;
        std::memcpy(&entry, bytes + sizeof header + i * sizeof entry,
                    sizeof entry);
        // A size of 0 in the group means 256.
        std::printf("image=%dx%dx%d\n", entry.width ? entry.width : 256,
                    entry.height ? entry.height : 256, entry.bits);
      }
      status = 0;
    }
  }
  if (status != 0)
    std::printf("no icon group %ld\n", id);
  FreeLibrary(module);
  return status;
}

struct TitleSearch {
  const char *prefix;
  HWND found;
};

BOOL CALLBACK match_title(HWND window, LPARAM parameter) {
  auto *search = reinterpret_cast<TitleSearch *>(parameter);
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  if (IsWindowVisible(window) &&
      std::strncmp(text, search->prefix, std::strlen(search->prefix)) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

int capture_window(const char *title, const char *file, long timeout) {
  TitleSearch search{title, nullptr};
  DWORD started = GetTickCount();
  while (EnumWindows(match_title, reinterpret_cast<LPARAM>(&search)),
         search.found == nullptr) {
    if (GetTickCount() - started > static_cast<DWORD>(timeout)) {
      std::printf("no window\n");
      return 1;
    }
    Sleep(100);
  }
  HWND window = search.found;
  // Time to finish drawing.
  Sleep(1500);
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
    return 1;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height; // bottom row first, as BMP files hold it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void *pixels = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  int status = 1;
  if (bitmap != nullptr && pixels != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    // The window as it shows on the screen (a window of another process
    // does not draw itself into our device context under every system).
    SetForegroundWindow(window);
    Sleep(300);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    const DWORD bytes = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + bytes;
    if (std::FILE *out = std::fopen(file, "wb")) {
      bool written =
          std::fwrite(&header, sizeof header, 1, out) == 1 &&
          std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
          std::fwrite(pixels, 1, bytes, out) == bytes;
      written = std::fclose(out) == 0 && written;
      status = written ? 0 : 1;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::printf(status == 0 ? "captured %dx%d\n" : "not captured\n", width,
              height);
  return status;
}

} // namespace

int main(int argc, char **argv) {
  long number = 0;
  if (argc == 4 && std::strcmp(argv[1], "window") == 0 &&
      parse_number(argv[3], number))
    return probe_window(argv[2], number);
  if (argc == 3 && std::strcmp(argv[1], "shortcut") == 0)
    return probe_shortcut(argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "capture") == 0 &&
      parse_number(argv[4], number))
    return capture_window(argv[2], argv[3], number);
  if (argc == 4 && std::strcmp(argv[1], "icon-group") == 0 &&
      parse_number(argv[3], number))
    return probe_icon_group(argv[2], number);
  std::fprintf(stderr,
               "usage: %s window TITLE TIMEOUT_MS | shortcut LINK | "
               "capture TITLE BMP TIMEOUT_MS | icon-group EXE ID\n",
               argv[0]);
  return 2;
}
