// Waits for a message box with a given caption, prints what it shows and
// dismisses it with its OK button: the tests under Wine read the launcher's
// error message from its window this way.
//
//   launcher_message_box CAPTION TIMEOUT_MS
//
// Prints, one per line: caption=, text=, owner=none|some, icon=yes|no and
// one button= line per visible button, in the order of the window's
// children; then appends "message box" to the record file named by
// QX_FIXTURE_RECORD, so that the record shows what happened before and
// after the box. Exit status 0 when a box was found and closed, 1 when
// none came within the time, 2 on bad arguments, 3 when the box did not
// go away after its button was clicked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Child {
  std::string class_name;
  std::string text;
  LONG style = 0;
  bool visible = false;
  HWND window = nullptr;
};

std::string window_text(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0)
    return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  int copied = GetWindowTextA(window, buffer.data(), length + 1);
  if (copied < 0)
    copied = 0;
  return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

BOOL CALLBACK collect_child(HWND window, LPARAM parameter) {
  auto *children = reinterpret_cast<std::vector<Child> *>(parameter);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  children->push_back({name, window_text(window),
                       GetWindowLongA(window, GWL_STYLE),
                       IsWindowVisible(window) != 0, window});
  return TRUE;
}

bool is_class(const Child &child, const char *name) {
  return lstrcmpiA(child.class_name.c_str(), name) == 0;
}

void record(const char *line) {
  const char *path = std::getenv("QX_FIXTURE_RECORD");
  if (path == nullptr)
    return;
  if (std::FILE *file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
  }
}

// A dialog-class top-level window with this caption.
HWND find_box(const char *caption) { return FindWindowA("#32770", caption); }

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CAPTION TIMEOUT_MS\n", argv[0]);
    return 2;
  }
  const char *caption = argv[1];
  char *end = nullptr;
  long timeout = std::strtol(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0' || timeout < 0) {
    std::fprintf(stderr, "bad timeout: %s\n", argv[2]);
    return 2;
  }

  HWND box = nullptr;
  DWORD started = GetTickCount();
  for (;;) {
    box = find_box(caption);
    // Its children are made before it is shown.
    if (box != nullptr && IsWindowVisible(box))
      break;
    if (GetTickCount() - started > static_cast<DWORD>(timeout)) {
      std::printf("no box\n");
      return 1;
    }
    Sleep(50);
  }

  std::vector<Child> children;
  EnumChildWindows(box, collect_child, reinterpret_cast<LPARAM>(&children));
  std::printf("caption=%s\n", window_text(box).c_str());
  std::string text;
  bool icon = false;
  HWND ok = nullptr;
  for (const Child &child : children) {
    if (!child.visible)
      continue;
    if (is_class(child, "Static")) {
      if ((child.style & SS_TYPEMASK) == SS_ICON)
        icon = icon || SendMessageA(child.window, STM_GETICON, 0, 0) != 0;
      else if (!child.text.empty())
        text = child.text;
    }
  }
  std::printf("text=%s\n", text.c_str());
  std::printf("owner=%s\n",
              GetWindow(box, GW_OWNER) != nullptr ? "some" : "none");
  std::printf("icon=%s\n", icon ? "yes" : "no");
  for (const Child &child : children) {
    if (child.visible && is_class(child, "Button")) {
      std::printf("button=%s\n", child.text.c_str());
      if (GetDlgCtrlID(child.window) == IDOK)
        ok = child.window;
    }
  }
  std::fflush(stdout);
  record("message box");

  // The OK button, as a user would press it; a box without one is closed.
  if (ok != nullptr)
    PostMessageA(ok, BM_CLICK, 0, 0);
  else
    PostMessageA(box, WM_CLOSE, 0, 0);
  started = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - started > 5000) {
      std::printf("box stayed\n");
      return 3;
    }
    Sleep(50);
  }
  return 0;
}
