// Reading a message box off the desktop: its texts from its controls, its
// icon compared pixel for pixel with the system's.
#include "message_boxes.h"

#include "programs.h"

namespace harness {

namespace {

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

struct Children {
    std::vector<HWND> buttons;
    std::vector<HWND> icons;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto *children = reinterpret_cast<Children *>(param);
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (!IsWindowVisible(child)) return TRUE;
    if (lstrcmpiA(cls, "Button") == 0) children->buttons.push_back(child);
    if (lstrcmpiA(cls, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        children->icons.push_back(child);
    return TRUE;
}

// An icon drawn into a bitmap of its own, on the dialog's face colour.
struct Drawing {
    Drawing(HDC screen, int w, int h)
        : dc(CreateCompatibleDC(screen)), bitmap(CreateCompatibleBitmap(screen, w, h)),
          old(SelectObject(dc, bitmap)), width(w), height(h) {}
    ~Drawing() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Drawing(const Drawing &) = delete;
    Drawing &operator=(const Drawing &) = delete;

    bool Draw(HICON icon) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
        return icon != nullptr && DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    int SamePixels(const Drawing &other) const {
        int same = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) same += GetPixel(dc, x, y) == GetPixel(other.dc, x, y);
        return same;
    }

    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int width, height;
};

// Which one of the system's icons the icon that `control` holds is, pixel
// for pixel: IDI_ERROR, IDI_WARNING or IDI_INFORMATION, or null for none
// (not drawn yet, another, or one that two of them match). Its own icon
// (STM_GETICON) is drawn here as the system's are: on Windows an icon
// belongs to the window manager and any program may draw it, so whatever
// covers the box on the screen is no matter. Wine keeps an icon in the
// program that made it, where no other program can draw it: there the
// control is read off the screen instead, which nothing covers under Xvfb.
LPCSTR IconShown(HWND control) {
    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    LPCSTR shown_id = nullptr;
    int matches = 0;
    {
        Drawing shown(screen, w, h), drawn(screen, w, h);
        if (!shown.Draw(reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)))) {
            POINT origin = {0, 0};
            ClientToScreen(control, &origin);
            BitBlt(shown.dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
        }
        for (LPCSTR id : {IDI_ERROR, IDI_WARNING, IDI_INFORMATION}) {
            drawn.Draw(LoadIconA(nullptr, id));
            if (drawn.SamePixels(shown) != w * h) continue;
            shown_id = id;
            ++matches;
        }
    }
    ReleaseDC(nullptr, screen);
    return matches == 1 ? shown_id : nullptr;
}

} // namespace

void MessageBoxWatch::Poll() {
    HWND box = FindWindowA("#32770", caption_.c_str());
    if (box == nullptr || box == last_) return;
    // A box is shown, and draws its icon, some time after it appears: it is
    // read once it is shown and its icon is one of the system's. One that
    // never is counts as not shown, or with no error icon.
    Children children;
    LPCSTR icon = nullptr;
    bool visible = false;
    WaitUntil(
        [&] {
            visible = IsWindowVisible(box) && !IsIconic(box);
            children = {};
            EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
            icon = children.icons.size() == 1 ? IconShown(children.icons[0]) : nullptr;
            return visible && icon != nullptr;
        },
        10000);
    MessageBoxView view;
    view.caption = WindowText(box);
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the static text of a message box
    view.text = text;
    for (HWND button : children.buttons) view.buttons.push_back(WindowText(button));
    view.error_icon = icon == IDI_ERROR;
    view.visible = visible;
    seen_.push_back(view);
    last_ = box;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

} // namespace harness
