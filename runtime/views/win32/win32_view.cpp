// The Win32 view: builds the window, its menu and its native controls from
// the control model, keeps them in step with the model, runs the message
// loop with the window's keyboard rules and reports user actions.
#include "runtime/views/win32/win32_view.h"

#include "platform/library.h"
#include "runtime/core/control_model.h"
#include "runtime/core/guarded_action.h"
#include "runtime/views/win32/view_rules.h"
#include "runtime/webpane/webpane.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <richedit.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <variant>
#include <vector>

namespace qx::views {
namespace {

using rt::guarded;

using win32::LinkTarget;

// ---- Owners of system objects ---------------------------------------------

struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct MenuDestroyer {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct IconDestroyer {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DcReleaser {
  HWND window = nullptr;
  void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

using WindowHandle =
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
using FontHandle =
    std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using BrushHandle =
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using BitmapHandle =
    std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;
using ModuleHandle =
    std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;
using WindowDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Keeps the window class registered while the view lives.
class WindowClass {
public:
  WindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC procedure)
      : m_instance(instance), m_name(name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    m_atom = RegisterClassExW(&wc);
  }
  ~WindowClass() {
    if (m_atom)
      UnregisterClassW(m_name, m_instance);
  }
  WindowClass(const WindowClass &) = delete;
  WindowClass &operator=(const WindowClass &) = delete;
  bool registered() const { return m_atom != 0; }

private:
  HINSTANCE m_instance;
  const wchar_t *m_name;
  ATOM m_atom = 0;
};

// ---- Constants --------------------------------------------------------------

constexpr const wchar_t *kWindowClassName = L"QuadrixMainWindow";
// The outer rectangle used when the window's record gives none.
constexpr form::Rect kDefaultOuterRect{50, 50, 542, 693};
// The window's default font: the Song face at 12 pixels.
constexpr int kDefaultFontPixels = 12;
constexpr const wchar_t *kSongFace = L"\x5B8B\x4F53"; // 宋体
// Command identifiers of the menu items: this base plus the item's index.
constexpr UINT kFirstMenuCommand = 1000;
// Child window identifiers: this base plus the control's index.
constexpr UINT kFirstControlId = 100;
// How far a drop-down list opens below its box.
constexpr int kDropDownHeight = 200;
// The frame a combo box draws round its selection field.
constexpr int kComboFrame = 6;
// When the show hooks run after the window is shown, in milliseconds.
constexpr UINT kShowHookDelayMs = 500;
constexpr UINT_PTR kShowHookTimer = 1;
constexpr UINT kStartPageDelayMs = 100;
constexpr UINT_PTR kStartPageTimer = 2;
// How often a picture waiting for QUADRIX_SCREENSHOT_AFTER looks for it.
constexpr UINT kReadyPollMs = 50;
constexpr UINT_PTR kReadyTimer = 3;
// The largest guide page shown.
constexpr std::uintmax_t kMaxPageBytes = 4 * 1024 * 1024;

// ---- Texts ------------------------------------------------------------------

constexpr UINT kGbkCodePage = 936;

std::wstring widen(std::string_view text, UINT code_page) {
  if (text.empty())
    return {};
  if (text.size() > static_cast<std::size_t>(INT_MAX / 2))
    return {};
  const int length = static_cast<int>(text.size());
  const int wide =
      MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  if (wide <= 0)
    return {};
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, result.data(), wide);
  return result;
}

std::string narrow(std::wstring_view text, UINT code_page) {
  if (text.empty())
    return {};
  if (text.size() > static_cast<std::size_t>(INT_MAX / 4))
    return {};
  const int length = static_cast<int>(text.size());
  const char *fallback = code_page == CP_UTF8 ? nullptr : "?";
  const int bytes = WideCharToMultiByte(code_page, 0, text.data(), length,
                                        nullptr, 0, fallback, nullptr);
  if (bytes <= 0)
    return {};
  std::string result(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), length, result.data(), bytes,
                      fallback, nullptr);
  return result;
}

std::wstring fromGbk(std::string_view gbk) { return widen(gbk, kGbkCodePage); }
std::string toGbk(std::wstring_view text) { return narrow(text, kGbkCodePage); }

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::clamp(got, 0, length)));
  return text;
}

std::u16string toU16(const std::wstring &text) {
  return std::u16string(text.begin(), text.end());
}
std::wstring fromU16(const std::u16string &text) {
  return std::wstring(text.begin(), text.end());
}

// ---- Small helpers ----------------------------------------------------------

bool hasEnvironment(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

std::optional<int> environmentNumber(const char *name) {
  if (!hasEnvironment(name))
    return std::nullopt;
  char *end = nullptr;
  const long value = std::strtol(std::getenv(name), &end, 10);
  if (!end || *end != '\0' || value < INT_MIN || value > INT_MAX)
    return std::nullopt;
  return static_cast<int>(value);
}

// A Windows colour of the form; nullopt for form::kNoColour (no colour of
// the control's own) and for any value with a non-zero high byte.
std::optional<COLORREF> colourOf(std::uint32_t colour) {
  if ((colour & 0xFF000000u) != 0)
    return std::nullopt;
  return static_cast<COLORREF>(colour);
}

LOGFONTW defaultLogFont() {
  LOGFONTW font{};
  font.lfHeight = -kDefaultFontPixels;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  lstrcpynW(font.lfFaceName, kSongFace, LF_FACESIZE);
  return font;
}

// The form's font as the system takes it: the face (the Song face when
// the form names none), its pixel height as stored (negative: character
// height), weight, italic, underline, strike-out and character set.
LOGFONTW logFontOf(const form::Font &font) {
  LOGFONTW result = defaultLogFont();
  const auto &name = font.face_name;
  const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
  const std::wstring face = fromGbk(std::string(name.begin(), end));
  if (!face.empty())
    lstrcpynW(result.lfFaceName, face.c_str(), LF_FACESIZE);
  if (font.height != 0)
    result.lfHeight = std::clamp<LONG>(font.height, -1000, 1000);
  if (font.weight > 0)
    result.lfWeight = std::clamp<LONG>(font.weight, 1, 1000);
  result.lfItalic = font.italic != 0;
  result.lfUnderline = font.underline != 0;
  result.lfStrikeOut = font.strike_out != 0;
  result.lfCharSet = font.char_set;
  return result;
}

std::optional<long> residentKilobytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    return std::nullopt;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

// The text of a shipped page, or nullopt when it cannot be read, is larger
// than kMaxPageBytes or holds a zero byte (not a page).
std::optional<std::string> readPage(const std::filesystem::path &file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxPageBytes)
    return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in.read(text.data(), static_cast<std::streamsize>(size)))
    return std::nullopt;
  if (text.find('\0') != std::string::npos)
    return std::nullopt;
  return text;
}

// Hands a rich-text document to a RichEdit control piece by piece.
struct RtfSource {
  const std::string *text;
  std::size_t at = 0;
};

DWORD CALLBACK streamRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted,
                         LONG *given) {
  auto *source = reinterpret_cast<RtfSource *>(cookie);
  const std::size_t left = source->text->size() - source->at;
  const std::size_t count =
      std::min(left, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
  std::copy_n(source->text->data() + source->at, count, buffer);
  source->at += count;
  *given = static_cast<LONG>(count);
  return 0;
}

void showRtf(HWND edit, const std::string &rtf) {
  RtfSource source{&rtf};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = streamRtf;
  SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

// Saves what the screen shows of `window`, frame included, as a 24-bit BMP.
bool saveWindowPicture(HWND window, const std::wstring &file) {
  RECT rect{};
  if (!GetWindowRect(window, &rect))
    return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;
  const WindowDc screen(GetDC(nullptr), DcReleaser{nullptr});
  if (!screen)
    return false;
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  const BitmapHandle bitmap(
      CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap)
    return false;
  const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top,
         SRCCOPY);
  SelectObject(memory.get(), old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height; // bottom-up, as a BMP file stores it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(stride * static_cast<std::size_t>(height));
  if (!GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height),
                 pixels.data(), reinterpret_cast<BITMAPINFO *>(&info),
                 DIB_RGB_COLORS))
    return false;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42; // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
  std::ofstream out(std::filesystem::path(file), std::ios::binary);
  out.write(reinterpret_cast<const char *>(&header), sizeof header);
  out.write(reinterpret_cast<const char *>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

int CALLBACK noteFace(const LOGFONTW *, const TEXTMETRICW *, DWORD,
                      LPARAM found) {
  *reinterpret_cast<bool *>(found) = true;
  return 0;
}

// The first installed face that holds the signs of mathematics the Song
// face lacks (the system's own on Windows, a free one under other hosts);
// empty when there is none.
std::string symbolFace() {
  static constexpr const char *kCandidates[] = {
      "Segoe UI Symbol", "Cambria Math", "Lucida Sans Unicode", "DejaVu Sans"};
  const WindowDc screen(GetDC(nullptr), DcReleaser{nullptr});
  if (!screen)
    return {};
  for (const char *face : kCandidates) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    const std::wstring name = widen(face, CP_ACP);
    lstrcpynW(wanted.lfFaceName, name.c_str(), LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(screen.get(), &wanted, &noteFace,
                        reinterpret_cast<LPARAM>(&found), 0);
    if (found)
      return face;
  }
  return {};
}

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

} // namespace

// ---- The view -------------------------------------------------------------

class Win32View final : public rt::View {
public:
  Win32View();
  ~Win32View() override;
  Win32View(const Win32View &) = delete;
  Win32View &operator=(const Win32View &) = delete;

  void create_window(const rt::WindowModel &window,
                     rt::UserActions &actions) override;
  void show_window() override;
  void property_changed(const rt::Control &control,
                        rt::PropertyKind property) override;
  void show_message_box(std::string_view gbk_text,
                        std::uint32_t flags) override;
  void show_runtime_error(std::string_view text) override;
  void run_message_loop() override;
  void quit_message_loop() override;

private:
  // What the window procedure needs to know of one native control.
  struct ControlWindow {
    std::uint32_t id = 0;
    std::uint32_t unit_type = 0;
    std::optional<COLORREF> text_colour;
    HBRUSH background = nullptr; // null: the window's own background
    bool clickable = false;      // a label or link that reports clicks
    std::wstring target;         // a hyperlink box's address
  };

  static LRESULT CALLBACK windowProcedure(HWND window, UINT message,
                                          WPARAM wparam, LPARAM lparam);
  LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // Building, one builder per control kind.
  void destroyWindow();
  void buildWindow();
  void buildMenu();
  void createControl(const rt::Control &control, std::size_t index);
  HWND createEditBox(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createLabel(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createButton(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createCheckBox(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createComboBox(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createTabControl(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createHyperlinkBox(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createHypertextView(const rt::Control &c, ControlWindow &info, UINT id);
  HWND createChild(const wchar_t *window_class, const std::wstring &text,
                   DWORD style, DWORD ex_style, const rt::Control &c, UINT id,
                   int extra_height = 0);
  HFONT font(const std::optional<form::Font> &font, bool underline = false);
  HBRUSH brush(std::uint32_t colour);
  HBRUSH pageBrush(std::uint32_t tab);
  std::optional<std::filesystem::path> runtimeDirectory() const;
  std::string guidePage(const std::string &address) const;
  void showPage(HWND view, const rt::Control &c);

  // Keeping the controls in step with the model.
  void applyVisibility(const rt::Control &c);
  void applyText(const rt::Control &c);
  void applySelection(const rt::Control &c);
  void showProgramText(HWND edit, const std::wstring &text);
  void updateTip(HWND edit);

  // The user's actions.
  void onCommand(HWND child, UINT code, UINT id);
  void onNotify(const NMHDR &header);
  void typed(const ControlWindow &info, HWND edit);
  void clicked(const ControlWindow &info);
  void pageChosen(std::uint32_t tab, std::int32_t page, bool keep_focus);
  void keepFocusOnPage(const rt::Control &tab, std::int32_t page);
  void openTarget(const std::wstring &target) const;
  bool handleKey(const MSG &message);
  LRESULT colours(HDC dc, HWND child, bool edit);
  void runShowHooks();
  void takePictureAndQuit(bool picture);
  void selectStartPage(int page);

  HWND hwnd(std::uint32_t id) const {
    const auto found = m_windows.find(id);
    return found == m_windows.end() ? nullptr : found->second;
  }
  const ControlWindow *info(HWND child) const {
    const auto found = m_infos.find(child);
    return found == m_infos.end() ? nullptr : &found->second;
  }
  // The control that holds `child` (a combo box's own parts count as the
  // combo box); 0 for none.
  std::uint32_t controlOf(HWND child) const;
  bool canFocus(std::uint32_t id) const;
  std::wstring title() const {
    return m_model ? fromGbk(m_model->window().text()) : std::wstring();
  }

  HINSTANCE m_instance = thisModule();
  // Declared before the windows, released after them.
  ModuleHandle m_richEdit;
  const wchar_t *m_richEditClass = nullptr;
  WindowClass m_class{m_instance, kWindowClassName, &windowProcedure};
  FontHandle m_defaultFont;
  std::vector<FontHandle> m_fonts;
  std::vector<BrushHandle> m_brushes;
  BrushHandle m_windowBrush;
  IconHandle m_icon;
  MenuHandle m_menu;
  WindowHandle m_window;
  // The tooltip that shows an edit box's whole text when it does not fit.
  WindowHandle m_tooltip;
  // The children are destroyed before their parent.
  std::vector<WindowHandle> m_children;

  const rt::WindowModel *m_model = nullptr;
  rt::UserActions *m_actions = nullptr;
  std::unordered_map<std::uint32_t, HWND> m_windows;
  std::unordered_map<HWND, ControlWindow> m_infos;
  std::unordered_map<std::uint32_t, HBRUSH> m_pageBrushes; // by tab control
  std::vector<std::uint32_t> m_menuIds;
  std::vector<std::uint32_t> m_focusChain;
  HWND m_lastFocus = nullptr;
  int m_programText = 0; // > 0 while the view writes an edit box's text
  std::optional<std::string> m_symbolFace; // looked up on first use
  bool m_inLoop = false;
  bool m_quit = false;
  bool m_quitPending = false;
};

// ---- Building ---------------------------------------------------------------

Win32View::Win32View() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  // The newer rich-text control first, the older one where it is missing.
  m_richEdit.reset(LoadLibraryW(L"Msftedit.dll"));
  m_richEditClass = MSFTEDIT_CLASS;
  if (!m_richEdit) {
    m_richEdit.reset(LoadLibraryW(L"riched20.dll"));
    m_richEditClass = RICHEDIT_CLASSW;
  }
  const LOGFONTW font = defaultLogFont();
  m_defaultFont.reset(CreateFontIndirectW(&font));
}

Win32View::~Win32View() { destroyWindow(); }

void Win32View::destroyWindow() {
  m_children.clear();
  m_tooltip.reset();
  if (m_window && m_menu)
    SetMenu(m_window.get(), nullptr); // the menu is destroyed by its owner
  m_window.reset();
  m_menu.reset();
  m_fonts.clear();
  m_brushes.clear();
  m_windowBrush.reset();
  m_icon.reset();
  m_windows.clear();
  m_infos.clear();
  m_pageBrushes.clear();
  m_menuIds.clear();
  m_focusChain.clear();
  m_lastFocus = nullptr;
}

HFONT Win32View::font(const std::optional<form::Font> &font, bool underline) {
  if (!font && !underline)
    return m_defaultFont.get();
  LOGFONTW log = font ? logFontOf(*font) : defaultLogFont();
  if (underline)
    log.lfUnderline = TRUE;
  m_fonts.emplace_back(CreateFontIndirectW(&log));
  return m_fonts.back() ? m_fonts.back().get() : m_defaultFont.get();
}

HBRUSH Win32View::brush(std::uint32_t colour) {
  const std::optional<COLORREF> rgb = colourOf(colour);
  if (!rgb)
    return nullptr;
  m_brushes.emplace_back(CreateSolidBrush(*rgb));
  return m_brushes.back().get();
}

// The colour a tab control paints its pages with, so that the controls on a
// page without a background of their own lie on it unseen. Null when the
// tab control cannot be drawn off screen (the window's colour serves then).
HBRUSH Win32View::pageBrush(std::uint32_t tab) {
  if (const auto found = m_pageBrushes.find(tab); found != m_pageBrushes.end())
    return found->second;
  HBRUSH result = nullptr;
  HWND tabs = hwnd(tab);
  RECT body{};
  if (tabs && GetClientRect(tabs, &body)) {
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&body));
    const WindowDc screen(GetDC(tabs), DcReleaser{tabs});
    const MemoryDc memory(screen ? CreateCompatibleDC(screen.get()) : nullptr);
    RECT client{};
    GetClientRect(tabs, &client);
    const BitmapHandle bitmap(
        screen && client.right > 0 && client.bottom > 0
            ? CreateCompatibleBitmap(screen.get(), client.right, client.bottom)
            : nullptr);
    if (memory && bitmap && body.right > body.left && body.bottom > body.top) {
      const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
      SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()),
                   PRF_CLIENT | PRF_ERASEBKGND);
      const COLORREF colour =
          GetPixel(memory.get(), (body.left + body.right) / 2,
                   (body.top + body.bottom) / 2);
      SelectObject(memory.get(), old);
      if (colour != CLR_INVALID) {
        m_brushes.emplace_back(CreateSolidBrush(colour));
        result = m_brushes.back().get();
      }
    }
  }
  m_pageBrushes[tab] = result;
  return result;
}

void Win32View::buildWindow() {
  if (!m_class.registered())
    return;
  m_window.reset(CreateWindowExW(0, kWindowClassName, title().c_str(),
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                                     WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, nullptr, nullptr, m_instance,
                                 this));
  if (!m_window)
    return;
  if (const auto *props =
          std::get_if<form::WindowProps>(&m_model->window().record().props)) {
    if (const std::optional<COLORREF> rgb = colourOf(props->background))
      m_windowBrush.reset(CreateSolidBrush(*rgb));
    if (!props->icon.empty() && props->icon.size() < 0x100000) {
      // The icon file image: its directory, then the first image it names.
      const auto &bytes = props->icon;
      if (bytes.size() >= 22) {
        const auto word = [&](std::size_t at) {
          return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
        };
        const std::uint32_t size = word(14) | word(16) << 16;
        const std::uint32_t offset = word(18) | word(20) << 16;
        if (offset <= bytes.size() && size <= bytes.size() - offset && size)
          m_icon.reset(CreateIconFromResourceEx(
              const_cast<PBYTE>(bytes.data() + offset), size, TRUE, 0x00030000,
              0, 0, LR_DEFAULTCOLOR));
        if (m_icon)
          SendMessageW(m_window.get(), WM_SETICON, ICON_BIG,
                       reinterpret_cast<LPARAM>(m_icon.get()));
      }
    }
  }
  buildMenu();
  m_tooltip.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, m_window.get(), nullptr,
                                  m_instance, nullptr));

  // Tab controls first, the other window-level controls above them (the
  // clear link lies over the tab header row), then the pages' controls,
  // placed from the tab control's top-left corner; each one above those
  // before it.
  const auto &controls = m_model->controls();
  const auto build = [&](auto &&wanted) {
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (!controls[i].is_window() && wanted(controls[i]))
        createControl(controls[i], i);
  };
  build([](const rt::Control &c) {
    return c.tab() == 0 && c.unit_type() == QX_UNIT_TAB_CONTROL;
  });
  build([](const rt::Control &c) {
    return c.tab() == 0 && c.unit_type() != QX_UNIT_TAB_CONTROL;
  });
  build([](const rt::Control &c) { return c.tab() != 0; });
  for (const rt::Control &c : controls)
    if (!c.is_window())
      applyVisibility(c);
  m_focusChain = win32::focus_chain(*m_model);
}

void Win32View::buildMenu() {
  m_menu.reset(CreateMenu());
  if (!m_menu)
    return;
  HMENU popup = nullptr;
  const auto &items = m_model->menu_items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const form::MenuItemRecord &item = items[i];
    m_menuIds.push_back(item.id);
    const UINT command = kFirstMenuCommand + static_cast<UINT>(i);
    const std::wstring caption = fromGbk(item.caption);
    if (item.level == 0) {
      // The menu bar owns its pop-ups once they are appended.
      popup = CreatePopupMenu();
      if (popup)
        AppendMenuW(m_menu.get(), MF_POPUP | MF_STRING,
                    reinterpret_cast<UINT_PTR>(popup), caption.c_str());
      continue;
    }
    HMENU into = popup ? popup : m_menu.get();
    if (item.caption == "-")
      AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(into, MF_STRING, command, caption.c_str());
  }
  SetMenu(m_window.get(), m_menu.get());
}

HWND Win32View::createChild(const wchar_t *window_class,
                            const std::wstring &text, DWORD style,
                            DWORD ex_style, const rt::Control &c, UINT id,
                            int extra_height) {
  form::Rect rect = c.record().rect;
  if (const rt::Control *tab = c.tab() ? m_model->find(c.tab()) : nullptr) {
    rect.left += tab->record().rect.left;
    rect.top += tab->record().rect.top;
  }
  return CreateWindowExW(
      ex_style, window_class, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
      rect.left, rect.top, std::max(rect.width, 0),
      std::max(rect.height, 0) + extra_height, m_window.get(),
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), m_instance, nullptr);
}

void Win32View::createControl(const rt::Control &c, std::size_t index) {
  ControlWindow info;
  info.id = c.id();
  info.unit_type = c.unit_type();
  const UINT id = kFirstControlId + static_cast<UINT>(index);
  HWND child = nullptr;
  switch (c.unit_type()) {
  case QX_UNIT_EDIT_BOX:
    child = createEditBox(c, info, id);
    break;
  case QX_UNIT_LABEL:
    child = createLabel(c, info, id);
    break;
  case QX_UNIT_BUTTON:
    child = createButton(c, info, id);
    break;
  case QX_UNIT_CHECK_BOX:
    child = createCheckBox(c, info, id);
    break;
  case QX_UNIT_COMBO_BOX:
    child = createComboBox(c, info, id);
    break;
  case QX_UNIT_TAB_CONTROL:
    child = createTabControl(c, info, id);
    break;
  case QX_UNIT_HYPERLINK_BOX:
    child = createHyperlinkBox(c, info, id);
    break;
  case QX_UNIT_HYPERTEXT_VIEW:
    child = createHypertextView(c, info, id);
    break;
  default: // a kind this view does not draw
    child = createChild(L"STATIC", L"", 0, 0, c, id);
    break;
  }
  if (!child)
    return;
  m_children.emplace_back(child);
  const bool static_kind = c.unit_type() == QX_UNIT_LABEL ||
                           c.unit_type() == QX_UNIT_CHECK_BOX ||
                           c.unit_type() == QX_UNIT_HYPERLINK_BOX;
  if (static_kind && !info.background && c.tab() != 0)
    info.background = pageBrush(c.tab());
  if (SendMessageW(child, WM_GETFONT, 0, 0) == 0)
    SendMessageW(child, WM_SETFONT,
                 reinterpret_cast<WPARAM>(m_defaultFont.get()), FALSE);
  EnableWindow(child, !c.disabled());
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  m_windows[c.id()] = child;
  m_infos[child] = std::move(info);
  if (c.unit_type() == QX_UNIT_EDIT_BOX && m_tooltip) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window.get();
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.lpszText = const_cast<wchar_t *>(L"");
    SendMessageW(m_tooltip.get(), TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
    updateTip(child);
  }
}

// The whole text as the box's tooltip whenever the box cannot show all of
// it; no tooltip otherwise.
void Win32View::updateTip(HWND edit) {
  if (!m_tooltip)
    return;
  const std::wstring text = windowText(edit);
  RECT room{};
  SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
  bool fits = true;
  if (!text.empty()) {
    const WindowDc dc(GetDC(edit), DcReleaser{edit});
    const HGDIOBJ old = SelectObject(
        dc.get(),
        reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()),
                          &extent);
    SelectObject(dc.get(), old);
    fits = extent.cx <= room.right - room.left;
  }
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = m_window.get();
  tool.uId = reinterpret_cast<UINT_PTR>(edit);
  tool.lpszText = const_cast<wchar_t *>(fits ? L"" : text.c_str());
  SendMessageW(m_tooltip.get(), TTM_UPDATETIPTEXTW, 0,
               reinterpret_cast<LPARAM>(&tool));
}

HWND Win32View::createEditBox(const rt::Control &c, ControlWindow &info,
                              UINT id) {
  DWORD style = ES_AUTOHSCROLL | ES_LEFT;
  DWORD ex_style = WS_EX_CLIENTEDGE;
  if (c.input_mode() == form::kInputReadOnly)
    style |= ES_READONLY;
  if (const auto *props = std::get_if<form::EditProps>(&c.record().props)) {
    info.text_colour = colourOf(props->text_colour);
    info.background = brush(props->background);
    // Border style 3 draws a flat frame; 5 (and anything else) the sunken
    // frame of an entry box.
    if (props->border_style == 3) {
      style |= WS_BORDER;
      ex_style = 0;
    }
  }
  HWND edit = createChild(L"EDIT", L"", style | WS_TABSTOP, ex_style, c, id);
  if (edit) {
    SendMessageW(edit, WM_SETFONT,
                 reinterpret_cast<WPARAM>(m_defaultFont.get()), FALSE);
    showProgramText(edit, fromGbk(c.text()));
  }
  return edit;
}

HWND Win32View::createLabel(const rt::Control &c, ControlWindow &info,
                            UINT id) {
  // Centred vertically on one line: a large glyph cut to a small rectangle
  // (the "-" fraction bars, the braces) shows its middle. The form marks
  // the captions that run over two lines.
  DWORD style = SS_LEFT;
  std::optional<form::Font> own_font;
  bool wraps = false;
  if (const auto *props = std::get_if<form::LabelProps>(&c.record().props)) {
    wraps = props->attr_b != 0;
    own_font = props->font;
    info.text_colour = colourOf(props->text_colour);
    info.background = brush(props->background);
  }
  if (!wraps)
    style |= SS_CENTERIMAGE;
  if (c.handler(QX_EVENT_CLICK)) {
    style |= SS_NOTIFY;
    info.clickable = true;
  }
  HWND label = createChild(L"STATIC", fromGbk(c.text()), style, 0, c, id);
  if (label)
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font(own_font)),
                 FALSE);
  return label;
}

HWND Win32View::createButton(const rt::Control &c, ControlWindow &, UINT id) {
  return createChild(L"BUTTON", fromGbk(c.text()), BS_PUSHBUTTON | WS_TABSTOP,
                     0, c, id);
}

HWND Win32View::createCheckBox(const rt::Control &c, ControlWindow &info,
                               UINT id) {
  std::optional<form::Font> own_font;
  if (const auto *props = std::get_if<form::CheckBoxProps>(&c.record().props)) {
    own_font = props->font;
    info.background = brush(props->background);
  }
  // The caption wraps beside the box when it is too long for one line.
  HWND box = createChild(L"BUTTON", fromGbk(c.text()),
                         BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 0, c, id);
  if (box)
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font(own_font)),
                 FALSE);
  return box;
}

HWND Win32View::createComboBox(const rt::Control &c, ControlWindow &info,
                               UINT id) {
  HWND combo =
      createChild(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                  0, c, id, kDropDownHeight);
  if (!combo)
    return nullptr;
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(m_defaultFont.get()),
               FALSE);
  if (const auto *props = std::get_if<form::ComboProps>(&c.record().props)) {
    for (const form::ComboItem &item : props->items)
      SendMessageW(combo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(fromGbk(item.text).c_str()));
    info.text_colour = colourOf(props->text_colour);
    info.background = brush(props->background);
  }
  // The closed box as high as the form's rectangle.
  const int field = c.record().rect.height - kComboFrame;
  if (field > 0)
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(c.selection()), 0);
  return combo;
}

HWND Win32View::createTabControl(const rt::Control &c, ControlWindow &info,
                                 UINT id) {
  HWND tabs = createChild(WC_TABCONTROLW, L"", TCS_FOCUSNEVER, 0, c, id);
  if (!tabs)
    return nullptr;
  std::vector<std::wstring> captions;
  std::optional<form::Font> own_font;
  if (const auto *props = std::get_if<form::TabProps>(&c.record().props)) {
    for (const std::string &caption : props->pages)
      captions.push_back(fromGbk(caption));
    own_font = props->font;
    info.background = brush(props->background);
  }
  captions.resize(static_cast<std::size_t>(std::max(c.choice_count(), 0)));
  SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font(own_font)),
               FALSE);
  for (std::size_t page = 0; page < captions.size(); ++page) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions[page].data();
    SendMessageW(tabs, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(c.selection()), 0);
  // Drawn plain, so that its body has the window's colour, as the labels
  // lying on it have.
  SetWindowTheme(tabs, L"", L"");
  // The controls of the pages lie over it and draw themselves.
  SetWindowLongPtrW(tabs, GWL_STYLE,
                    GetWindowLongPtrW(tabs, GWL_STYLE) | WS_CLIPSIBLINGS);
  return tabs;
}

HWND Win32View::createHyperlinkBox(const rt::Control &c, ControlWindow &info,
                                   UINT id) {
  std::optional<form::Font> own_font;
  if (const auto *props =
          std::get_if<form::HyperlinkProps>(&c.record().props)) {
    own_font = props->font;
    // The first of the three link colours is the colour at rest.
    info.text_colour = colourOf(props->link_colours[0]);
    info.background = brush(props->background);
    info.target = fromGbk(props->target);
  }
  info.clickable = true;
  HWND link = createChild(L"STATIC", fromGbk(c.text()),
                          SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY, 0, c, id);
  if (link)
    SendMessageW(link, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font(own_font, true)), FALSE);
  return link;
}

std::optional<std::filesystem::path> Win32View::runtimeDirectory() const {
  return platform::module_directory(
      reinterpret_cast<const void *>(&thisModule));
}

std::string Win32View::guidePage(const std::string &address) const {
  const LinkTarget target =
      win32::resolve_link(address, QX_WEBPANE_LOCAL_HOST, "ad1.htm");
  if (target.kind == LinkTarget::TargetKind::Web)
    return win32::text_to_rtf(address);
  const std::optional<std::filesystem::path> directory = runtimeDirectory();
  if (target.kind != LinkTarget::TargetKind::Shipped || !directory)
    return win32::text_to_rtf("");
  const std::optional<std::string> page = readPage(*directory / target.value);
  return page ? win32::html_to_rtf(*page) : win32::text_to_rtf("");
}

HWND Win32View::createHypertextView(const rt::Control &c, ControlWindow &,
                                    UINT id) {
  if (!m_richEdit)
    return createChild(L"STATIC", L"", SS_SUNKEN, 0, c, id);
  HWND view = createChild(m_richEditClass, L"",
                          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                              WS_VSCROLL | WS_TABSTOP,
                          WS_EX_CLIENTEDGE, c, id);
  if (!view)
    return nullptr;
  // The return link of a working reports its clicks.
  SendMessageW(view, EM_SETEVENTMASK, 0, ENM_LINK);
  showPage(view, c);
  return view;
}

// What a hypertext view shows: the working a routine gave it, else its own
// page (the guide).
void Win32View::showPage(HWND view, const rt::Control &c) {
  if (c.document().empty()) {
    std::string address;
    if (const auto *props =
            std::get_if<form::HypertextProps>(&c.record().props))
      address = narrow(fromGbk(props->address), CP_UTF8);
    showRtf(view, guidePage(address));
    return;
  }
  if (!m_symbolFace)
    m_symbolFace = symbolFace();
  const win32::RichDocument working =
      win32::document_to_rtf(c.document(), *m_symbolFace);
  showRtf(view, working.rtf);
  for (const auto &[first, last] : working.links) {
    CHARRANGE range{static_cast<LONG>(first), static_cast<LONG>(last)};
    SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    format.dwEffects = CFE_LINK;
    SendMessageW(view, EM_SETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(view, EM_SETSEL, 0, 0);
  SendMessageW(view, EM_SCROLLCARET, 0, 0);
}

// ---- Keeping the controls in step with the model --------------------------

void Win32View::applyVisibility(const rt::Control &c) {
  if (HWND child = hwnd(c.id()))
    ShowWindow(child, m_model->effective_visible(c) ? SW_SHOWNA : SW_HIDE);
}

void Win32View::showProgramText(HWND edit, const std::wstring &text) {
  ++m_programText;
  SetWindowTextW(edit, text.c_str());
  // From its first character: the box shows the start of a long text.
  SendMessageW(edit, EM_SETSEL, 0, 0);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  --m_programText;
}

void Win32View::applyText(const rt::Control &c) {
  if (c.is_window()) {
    if (m_window)
      SetWindowTextW(m_window.get(), title().c_str());
    return;
  }
  HWND child = hwnd(c.id());
  if (!child)
    return;
  const std::wstring text = fromGbk(c.text());
  if (windowText(child) == text)
    return;
  if (c.unit_type() == QX_UNIT_EDIT_BOX)
    showProgramText(child, text);
  else
    SetWindowTextW(child, text.c_str());
}

void Win32View::applySelection(const rt::Control &c) {
  HWND child = hwnd(c.id());
  if (!child)
    return;
  if (c.unit_type() == QX_UNIT_COMBO_BOX) {
    SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(c.selection()), 0);
    return;
  }
  if (c.unit_type() != QX_UNIT_TAB_CONTROL)
    return;
  SendMessageW(child, TCM_SETCURSEL, static_cast<WPARAM>(c.selection()), 0);
  for (const rt::Control &on_page : m_model->controls())
    if (on_page.tab() == c.id())
      applyVisibility(on_page);
}

// ---- The user's actions -----------------------------------------------------

std::uint32_t Win32View::controlOf(HWND child) const {
  for (HWND at = child; at && at != m_window.get(); at = GetParent(at))
    if (const ControlWindow *found = info(at))
      return found->id;
  return 0;
}

bool Win32View::canFocus(std::uint32_t id) const {
  HWND child = hwnd(id);
  return child && IsWindowVisible(child) && IsWindowEnabled(child);
}

void Win32View::typed(const ControlWindow &info, HWND edit) {
  const rt::Control *c = m_model->find(info.id);
  if (!c || !m_actions)
    return;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const std::wstring text = windowText(edit);
  // Full-width characters become the ASCII ones the box computes with.
  const std::wstring folded = fromU16(win32::fold_full_width(toU16(text)));
  if (folded != text) {
    ++m_programText;
    SetWindowTextW(edit, folded.c_str());
    SendMessageW(edit, EM_SETSEL, start, end);
    --m_programText;
  }
  const bool accepted = m_actions->type_text(info.id, toGbk(folded));
  // A refused text, or one GBK could not hold, is undone: the box shows
  // the model's text with the caret where the keystroke found it.
  const std::wstring stored = fromGbk(c->text());
  if (accepted && stored == folded)
    return;
  const std::size_t grown =
      folded.size() > stored.size() ? folded.size() - stored.size() : 0;
  const std::size_t caret =
      std::min<std::size_t>(end > grown ? end - grown : 0, stored.size());
  ++m_programText;
  SetWindowTextW(edit, stored.c_str());
  SendMessageW(edit, EM_SETSEL, caret, caret);
  --m_programText;
  MessageBeep(MB_OK);
}

void Win32View::openTarget(const std::wstring &target) const {
  const std::string address = narrow(target, CP_UTF8);
  const LinkTarget resolved =
      win32::resolve_link(address, QX_WEBPANE_LOCAL_HOST, "ad1.htm");
  std::wstring open;
  if (resolved.kind == LinkTarget::TargetKind::Web) {
    open = target;
  } else if (resolved.kind == LinkTarget::TargetKind::Shipped) {
    // The local page host is no site on the network: its pages are the
    // files shipped beside the runtime.
    const std::optional<std::filesystem::path> directory = runtimeDirectory();
    if (!directory || !readPage(*directory / resolved.value))
      return;
    open = (*directory / resolved.value).wstring();
  }
  if (!open.empty())
    ShellExecuteW(m_window.get(), L"open", open.c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

void Win32View::clicked(const ControlWindow &info) {
  if (!m_actions)
    return;
  const bool accepted = m_actions->click(info.id);
  if (accepted && info.unit_type == QX_UNIT_HYPERLINK_BOX &&
      !info.target.empty())
    openTarget(info.target);
}

void Win32View::onCommand(HWND child, UINT code, UINT id) {
  if (!child) {
    // A menu item, or an accelerator of one.
    if (id < kFirstMenuCommand || id - kFirstMenuCommand >= m_menuIds.size())
      return;
    const std::uint32_t item = m_menuIds[id - kFirstMenuCommand];
    guarded("choosing a menu item", [&] {
      if (m_actions)
        m_actions->choose_menu_item(item);
    });
    return;
  }
  const ControlWindow *found = info(child);
  if (!found)
    return;
  const ControlWindow control = *found; // the handler may rebuild the map
  switch (control.unit_type) {
  case QX_UNIT_EDIT_BOX:
    if (code != EN_CHANGE)
      break;
    if (m_programText == 0)
      guarded("typing", [&] { typed(control, child); });
    updateTip(child);
    break;
  case QX_UNIT_BUTTON:
    if (code == BN_CLICKED)
      guarded("clicking", [&] { clicked(control); });
    break;
  case QX_UNIT_LABEL:
  case QX_UNIT_HYPERLINK_BOX:
    if (code == STN_CLICKED && control.clickable)
      guarded("clicking", [&] { clicked(control); });
    break;
  case QX_UNIT_COMBO_BOX:
    if (code == CBN_SELCHANGE)
      guarded("choosing an item", [&] {
        const auto index =
            static_cast<std::int32_t>(SendMessageW(child, CB_GETCURSEL, 0, 0));
        const bool accepted =
            m_actions && m_actions->select_item(control.id, index);
        if (const rt::Control *c = m_model->find(control.id); c && !accepted)
          applySelection(*c);
      });
    break;
  default:
    break;
  }
}

void Win32View::pageChosen(std::uint32_t tab, std::int32_t page,
                           bool keep_focus) {
  const bool accepted = m_actions && m_actions->select_page(tab, page);
  const rt::Control *c = m_model->find(tab);
  if (!c)
    return;
  if (!accepted)
    applySelection(*c);
  if (accepted && keep_focus)
    keepFocusOnPage(*c, page);
}

// Hiding the old page's controls took the keyboard focus away; the first
// control of the new page that takes the focus gets it, so that Ctrl+Tab
// keeps turning the pages.
void Win32View::keepFocusOnPage(const rt::Control &tab, std::int32_t page) {
  const std::uint32_t focused = controlOf(GetFocus());
  if (focused != 0 && canFocus(focused))
    return;
  const auto &pages = tab.record().pages;
  if (page < 0 || static_cast<std::size_t>(page) >= pages.size())
    return;
  for (std::uint32_t id : pages[static_cast<std::size_t>(page)]) {
    const rt::Control *c = m_model->find(id);
    if (c && (c->record().flags & form::kFlagTakesFocus) != 0 && canFocus(id)) {
      SetFocus(hwnd(id));
      return;
    }
  }
}

void Win32View::onNotify(const NMHDR &header) {
  if (header.code == static_cast<UINT>(EN_LINK)) {
    // A click on a working's return link: the runtime changes the model,
    // which brings the guide back through property_changed.
    const auto &link = reinterpret_cast<const ENLINK &>(header);
    const ControlWindow *found = info(header.hwndFrom);
    if (found && link.msg == WM_LBUTTONUP) {
      const std::uint32_t id = found->id;
      guarded("following the return link", [&] {
        if (m_actions)
          m_actions->follow_return_link(id);
      });
    }
    return;
  }
  if (header.code != static_cast<UINT>(TCN_SELCHANGE))
    return;
  const ControlWindow *found = info(header.hwndFrom);
  if (!found || found->unit_type != QX_UNIT_TAB_CONTROL)
    return;
  const std::uint32_t tab = found->id;
  const auto page = static_cast<std::int32_t>(
      SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0));
  const rt::Control *focused = m_model->find(controlOf(GetFocus()));
  const bool on_tab = focused && focused->tab() == tab;
  guarded("changing the page", [&] { pageChosen(tab, page, on_tab); });
}

// The window's keys, taken before the focused control sees them: Tab and
// Shift+Tab move the focus along the chain, Ctrl+Tab (Ctrl+Page Down) and
// Ctrl+Shift+Tab (Ctrl+Page Up) turn the pages, Ctrl+A selects an edit
// box's text, Enter in an edit box presses the button after it.
bool Win32View::handleKey(const MSG &message) {
  if (message.message != WM_KEYDOWN || !m_window || !m_model)
    return false;
  if (message.hwnd != m_window.get() && !IsChild(m_window.get(), message.hwnd))
    return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const std::uint32_t focused = controlOf(GetFocus());
  const WPARAM key = message.wParam;
  const bool page_key =
      control && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR);
  if (page_key) {
    const std::uint32_t tab = win32::ctrl_tab_control(*m_model, focused);
    const rt::Control *c = tab ? m_model->find(tab) : nullptr;
    if (!c)
      return key == VK_TAB;
    const bool forward = key == VK_TAB ? !shift : key == VK_NEXT;
    const std::int32_t page =
        win32::turned_page(c->selection(), c->choice_count(), forward);
    if (page < 0)
      return true;
    guarded("changing the page", [&] {
      if (m_actions && m_actions->select_page(tab, page))
        keepFocusOnPage(*c, page);
    });
    return true;
  }
  if (key == VK_TAB) {
    const std::uint32_t next =
        win32::next_focus(m_focusChain, focused, !shift,
                          [this](std::uint32_t id) { return canFocus(id); });
    if (HWND target = hwnd(next)) {
      SetFocus(target);
      if (const ControlWindow *found = info(target);
          found && found->unit_type == QX_UNIT_EDIT_BOX)
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
    return true;
  }
  if (control && key == 'A') {
    // Ctrl+A selects the whole text of an edit box.
    const rt::Control *box = m_model->find(focused);
    if (!box || box->unit_type() != QX_UNIT_EDIT_BOX)
      return false;
    SendMessageW(hwnd(focused), EM_SETSEL, 0, -1);
    return true;
  }
  if (key == VK_RETURN) {
    const rt::Control *box = m_model->find(focused);
    if (!box || box->unit_type() != QX_UNIT_EDIT_BOX)
      return false;
    if (const rt::Control *button = m_model->enter_button(*box)) {
      const std::uint32_t id = button->id();
      guarded("clicking", [&] {
        if (m_actions && canFocus(id))
          m_actions->click(id);
      });
    }
    return true;
  }
  return false;
}

LRESULT Win32View::colours(HDC dc, HWND child, bool edit) {
  const ControlWindow *found = info(child);
  if (found && found->text_colour)
    SetTextColor(dc, *found->text_colour);
  HBRUSH background = found ? found->background : nullptr;
  if (!background)
    background = m_windowBrush
                     ? m_windowBrush.get()
                     : GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE);
  LOGBRUSH fill{};
  if (GetObjectW(background, sizeof fill, &fill) == sizeof fill)
    SetBkColor(dc, fill.lbColor);
  return reinterpret_cast<LRESULT>(background);
}

LRESULT CALLBACK Win32View::windowProcedure(HWND window, UINT message,
                                            WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto *view =
      reinterpret_cast<Win32View *>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!view)
    return DefWindowProcW(window, message, wparam, lparam);
  return view->handle(window, message, wparam, lparam);
}

LRESULT Win32View::handle(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  switch (message) {
  case WM_COMMAND:
    onCommand(reinterpret_cast<HWND>(lparam), HIWORD(wparam), LOWORD(wparam));
    return 0;
  case WM_NOTIFY:
    if (lparam)
      onNotify(*reinterpret_cast<const NMHDR *>(lparam));
    return 0;
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLORBTN: {
    const auto child = reinterpret_cast<HWND>(lparam);
    const ControlWindow *found = info(child);
    const bool edit = message != WM_CTLCOLORSTATIC ||
                      (found && (found->unit_type == QX_UNIT_EDIT_BOX ||
                                 found->unit_type == QX_UNIT_COMBO_BOX));
    return colours(reinterpret_cast<HDC>(wparam), child, edit);
  }
  case WM_ERASEBKGND:
    if (m_windowBrush) {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, m_windowBrush.get());
      return 1;
    }
    break;
  case WM_SETCURSOR:
    if (const ControlWindow *found = info(reinterpret_cast<HWND>(wparam));
        found && found->clickable) {
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    }
    break;
  case WM_ACTIVATE:
    // The focus comes back to the control that had it.
    if (LOWORD(wparam) == WA_INACTIVE) {
      m_lastFocus = GetFocus();
    } else if (m_lastFocus && IsChild(window, m_lastFocus)) {
      SetFocus(m_lastFocus);
      return 0;
    }
    break;
  case WM_TIMER:
    if (wparam == kStartPageTimer) {
      KillTimer(window, kStartPageTimer);
      guarded("choosing the start page", [this] {
        selectStartPage(environmentNumber("QUADRIX_START_PAGE").value_or(0));
      });
      return 0;
    }
    if (wparam == kReadyTimer) {
      std::error_code missing;
      const std::filesystem::path ready(
          widen(std::getenv("QUADRIX_SCREENSHOT_AFTER"), CP_ACP));
      if (!std::filesystem::exists(ready, missing))
        return 0;
      KillTimer(window, kReadyTimer);
      guarded("the picture", [this] { takePictureAndQuit(true); });
      return 0;
    }
    if (wparam == kShowHookTimer) {
      KillTimer(window, kShowHookTimer);
      guarded("the show hooks", [this] { runShowHooks(); });
      return 0;
    }
    break;
  case WM_CLOSE:
    guarded("closing the window", [this] {
      if (m_actions)
        m_actions->close_window();
    });
    ShowWindow(window, SW_HIDE);
    quit_message_loop();
    return 0;
  default:
    break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// ---- Showing
// ------------------------------------------------------------------

void Win32View::runShowHooks() {
  const bool exitAfterShow = hasEnvironment("QUADRIX_EXIT_AFTER_SHOW");
  const bool screenshot = hasEnvironment("QUADRIX_SCREENSHOT");
  if (exitAfterShow) {
    std::printf("quadrix: shown rss_kb=%ld\n", residentKilobytes().value_or(0));
    std::fflush(stdout);
  }
  if (screenshot && hasEnvironment("QUADRIX_SCREENSHOT_AFTER")) {
    // The user acts on the window first; the picture waits for the file
    // that says the window is ready.
    SetTimer(m_window.get(), kReadyTimer, kReadyPollMs, nullptr);
    return;
  }
  takePictureAndQuit(screenshot);
}

void Win32View::takePictureAndQuit(bool picture) {
  if (picture) {
    UpdateWindow(m_window.get());
    const std::wstring file = widen(std::getenv("QUADRIX_SCREENSHOT"), CP_ACP);
    if (!saveWindowPicture(m_window.get(), file))
      std::fprintf(stderr, "quadrix: cannot save the screenshot to %s\n",
                   std::getenv("QUADRIX_SCREENSHOT"));
  }
  quit_message_loop();
}

void Win32View::create_window(const rt::WindowModel &window,
                              rt::UserActions &actions) {
  destroyWindow();
  m_model = &window;
  m_actions = &actions;
  buildWindow();
}

void Win32View::show_window() {
  if (!m_window)
    return;
  form::Rect outer = m_model->window().record().rect;
  if (outer.width <= 0 || outer.height <= 0)
    outer = kDefaultOuterRect;
  // The form gives the outer rectangle, frame included.
  SetWindowPos(m_window.get(), nullptr, outer.left, outer.top, outer.width,
               outer.height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(m_window.get(), SW_SHOWNORMAL);
  UpdateWindow(m_window.get());
  SetForegroundWindow(m_window.get());
  const std::uint32_t first = win32::next_focus(
      m_focusChain, 0, true, [this](std::uint32_t id) { return canFocus(id); });
  if (HWND target = hwnd(first))
    SetFocus(target);
  // The hooks act once the window has been drawn, from the message loop:
  // the start page is chosen as a user would choose it, then the picture
  // waits for the page to be drawn.
  const bool screenshot = hasEnvironment("QUADRIX_SCREENSHOT");
  if (screenshot && environmentNumber("QUADRIX_START_PAGE"))
    SetTimer(m_window.get(), kStartPageTimer, kStartPageDelayMs, nullptr);
  if (screenshot || hasEnvironment("QUADRIX_EXIT_AFTER_SHOW"))
    SetTimer(m_window.get(), kShowHookTimer, kShowHookDelayMs, nullptr);
}

void Win32View::selectStartPage(int page) {
  for (const rt::Control &c : m_model->controls()) {
    if (c.unit_type() != QX_UNIT_TAB_CONTROL)
      continue;
    if (!m_actions || !m_actions->select_page(c.id(), page))
      std::fprintf(stderr, "quadrix: there is no page %d to start on\n", page);
    return;
  }
}

void Win32View::property_changed(const rt::Control &control,
                                 rt::PropertyKind property) {
  if (!m_model)
    return;
  switch (property) {
  case rt::PropertyKind::Text:
    applyText(control);
    break;
  case rt::PropertyKind::Visible:
    if (!control.is_window())
      applyVisibility(control);
    break;
  case rt::PropertyKind::Disabled:
    if (HWND child = hwnd(control.id()))
      EnableWindow(child, !control.disabled());
    break;
  case rt::PropertyKind::Selection:
    applySelection(control);
    break;
  case rt::PropertyKind::Document:
    if (HWND view = hwnd(control.id());
        view && control.unit_type() == QX_UNIT_HYPERTEXT_VIEW && m_richEdit)
      showPage(view, control);
    break;
  }
}

void Win32View::show_message_box(std::string_view gbk_text,
                                 std::uint32_t flags) {
  HWND focused = GetFocus();
  MessageBoxW(m_window.get(), fromGbk(gbk_text).c_str(), title().c_str(),
              static_cast<UINT>(flags));
  if (focused && IsWindow(focused) && IsWindowVisible(focused) &&
      IsWindowEnabled(focused))
    SetFocus(focused);
}

void Win32View::show_runtime_error(std::string_view text) {
  MessageBoxW(m_window.get(), widen(text, CP_UTF8).c_str(), title().c_str(),
              MB_OK | MB_ICONERROR);
}

void Win32View::run_message_loop() {
  if (m_quitPending) {
    m_quitPending = false;
    return;
  }
  m_inLoop = true;
  m_quit = false;
  MSG message{};
  while (!m_quit) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the thread to end: leave that to the loop outside.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1)
      break;
    if (handleKey(message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  m_inLoop = false;
  m_quitPending = false;
}

void Win32View::quit_message_loop() {
  if (!m_inLoop) {
    m_quitPending = true;
    return;
  }
  m_quit = true;
  // Wakes GetMessage when the request comes from outside a message.
  if (m_window)
    PostMessageW(m_window.get(), WM_NULL, 0, 0);
}

std::unique_ptr<rt::View> make_win32_view() {
  return std::make_unique<Win32View>();
}

} // namespace qx::views
