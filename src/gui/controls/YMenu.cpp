#include "gui/controls/YMenu.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"
#include "gui/controls/YMenuBar.h"
#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindowSystem.h"
#include "gui/toolkit/YWindows.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kSeparatorHeight = 7;
constexpr int32_t kFrame = 3;

bool InTree(YControl& root, const YControl* control) {
    if (control == nullptr) return false;
    std::vector<YControl*> stack{&root};
    while (!stack.empty()) {
        YControl* c = stack.back();
        stack.pop_back();
        if (c == control) return true;
        for (YControl* child : c->Children()) stack.push_back(child);
    }
    return false;
}

} // namespace

void YMenuItemsLoad(YMenuItem& into, const YXMLItem& element) {
    using namespace YControlAttributes;
    // Iterative: definitions may nest menus deeply.
    std::vector<std::pair<YMenuItem*, const YXMLItem*>> pending{{&into, &element}};
    while (!pending.empty()) {
        auto [target, source] = pending.back();
        pending.pop_back();
        YString list;
        if (ReadText(*source, "items", list)) {
            for (const YString& text : SplitList(list)) {
                if (text == YString("-")) target->AddSeparator();
                else target->Add(text);
            }
        }
        std::vector<std::pair<size_t, const YXMLItem*>> nested;
        for (YXMLItem::Iterator it(*source, "item"); it.IsValid(); it.Next()) {
            const YXMLItem& child = it.Get();
            YString text = child.GetText();
            ReadText(child, "text", text);
            YMenuItem& item = text == YString("-") ? target->AddSeparator() : target->Add(text);
            ReadText(child, "shortcut", item.shortcut);
            ReadInt(child, "id", item.id);
            if (const YString* v = child.FindAttribute("icon")) {
                int32_t consumed = 0;
                const int64_t n = v->ToInteger(10, &consumed);
                item.icon = consumed > 0 ? static_cast<int32_t>(n) : static_cast<int32_t>(YEnumParse<YStdIcon>(*v));
            }
            ReadFlag(child, "enabled", item.enabled);
            ReadFlag(child, "checked", item.checked);
            ReadFlag(child, "highlight", item.highlight);
            bool separator = false;
            if (ReadFlag(child, "separator", separator) && separator) item.separator = true;
            if (child.GetChildCount() > 0) nested.push_back({target->children.size() - 1, &child});
        }
        // The children vector is complete now, so its elements keep their addresses.
        for (auto [index, child] : nested) pending.push_back({&target->children[index], child});
    }
}

// ---- YPopupMenu ----

YPopupMenu::YPopupMenu(YMenuLayer& layer, const YMenuItem& menu, YPopupMenu* parentMenu)
    : YControl(&layer), m_layer(layer), m_menu(menu), m_parentMenu(parentMenu) {
    SetType(YControlType::kMenu);
    SetUpEvents(YControlUpEvents::kLeftUp | YControlUpEvents::kRightUp);
}

int32_t YPopupMenu::RowHeight(int32_t index) {
    if (m_menu.children[static_cast<size_t>(index)].separator) return kSeparatorHeight;
    return YControlText::LineHeight(*this) + 8;
}

YSize YPopupMenu::ContentSize() {
    int32_t width = 80;
    int32_t height = 2 * kFrame;
    const int32_t iconRoom = YControlText::LineHeight(*this) + 8;
    for (int32_t i = 0; i < static_cast<int32_t>(m_menu.children.size()); ++i) {
        const YMenuItem& item = m_menu.children[static_cast<size_t>(i)];
        height += RowHeight(i);
        int32_t w = iconRoom + YControlText::Width(*this, item.text) + 24;
        if (!item.shortcut.IsEmpty()) w += YControlText::Width(*this, item.shortcut) + 24;
        if (!item.children.empty()) w += 16;
        width = std::max(width, w);
    }
    return {width + 2 * kFrame, height};
}

YRect YPopupMenu::ItemRect(int32_t index) {
    const YRect r = WindowRect();
    int32_t y = r.top + kFrame;
    for (int32_t i = 0; i < index; ++i) y += RowHeight(i);
    return {r.left + kFrame, y, r.right - kFrame, y + RowHeight(index) - 1};
}

int32_t YPopupMenu::ItemAt(YPoint p) {
    if (!WindowRect().Contains(p)) return -1;
    for (int32_t i = 0; i < static_cast<int32_t>(m_menu.children.size()); ++i) {
        if (ItemRect(i).Contains(p)) return i;
    }
    return -1;
}

void YPopupMenu::SetHighlighted(int32_t index) {
    if (index == m_highlighted) return;
    m_highlighted = index;
    Repaint();
}

void YPopupMenu::Step(int32_t delta) {
    const int32_t n = static_cast<int32_t>(m_menu.children.size());
    if (n == 0) return;
    int32_t i = m_highlighted < 0 ? (delta > 0 ? -1 : n) : m_highlighted;
    for (int32_t tries = 0; tries < n; ++tries) {
        i = (i + delta + n) % n;
        if (m_menu.children[static_cast<size_t>(i)].Selectable()) {
            SetHighlighted(i);
            return;
        }
    }
}

bool YPopupMenu::OpenSubMenu(int32_t index, bool highlightFirst) {
    if (index < 0 || index >= static_cast<int32_t>(m_menu.children.size())) return false;
    const YMenuItem& item = m_menu.children[static_cast<size_t>(index)];
    if (item.children.empty() || !item.enabled) return false;
    if (m_subMenu != nullptr && m_highlighted == index && m_subMenu->IsVisible()) {
        if (highlightFirst && m_subMenu->Highlighted() < 0) m_subMenu->Step(1);
        m_subMenu->SetFocus();
        return true;
    }
    CloseSubMenu();
    SetHighlighted(index);
    m_subMenu = m_layer.OpenSub(*this, item, ItemRect(index), highlightFirst);
    return true;
}

void YPopupMenu::CloseSubMenu() {
    if (m_subMenu == nullptr) return;
    YPopupMenu* sub = m_subMenu;
    m_subMenu = nullptr;
    m_layer.Close(*sub);
}

bool YPopupMenu::HandleEvent(YSystemEvent& event) {
    const int32_t n = static_cast<int32_t>(m_menu.children.size());
    switch (event.code) {
    case YEventCode::kKeyDown:
        switch (event.keyCode) {
        case YKey::kUp: Step(-1); return true;
        case YKey::kDown: Step(1); return true;
        case YKey::kHome: m_highlighted = -1; Step(1); return true;
        case YKey::kEnd: m_highlighted = -1; Step(-1); return true;
        case YKey::kRight:
            if (OpenSubMenu(m_highlighted, true)) return true;
            if (m_layer.Bar() != nullptr) m_layer.Bar()->StepTitle(1);
            return true;
        case YKey::kLeft:
            if (m_parentMenu != nullptr) {
                YPopupMenu* parent = m_parentMenu;
                parent->CloseSubMenu(); // deletes nothing now: this menu only hides
                parent->SetFocus();
            } else if (m_layer.Bar() != nullptr) {
                m_layer.Bar()->StepTitle(-1);
            }
            return true;
        case YKey::kEscape:
            if (m_parentMenu != nullptr) {
                YPopupMenu* parent = m_parentMenu;
                parent->CloseSubMenu();
                parent->SetFocus();
            } else {
                m_layer.CloseAll();
            }
            return true;
        case YKey::kReturn:
        case YKey::kSpace:
            if (m_highlighted < 0) return true;
            if (!OpenSubMenu(m_highlighted, true) && m_menu.children[static_cast<size_t>(m_highlighted)].Selectable()) {
                m_layer.Choose(m_menu.children[static_cast<size_t>(m_highlighted)]);
            }
            return true;
        default:
            // Menus keep every key while open.
            return true;
        }
    case YEventCode::kCharacter: {
        // The first selectable item starting with the letter.
        const uint32_t c = event.character | 0x20;
        for (int32_t i = 0; i < n; ++i) {
            const YMenuItem& item = m_menu.children[static_cast<size_t>(i)];
            if (item.Selectable() && !item.text.IsEmpty() && (static_cast<uint32_t>(item.text[0]) | 0x20) == c) {
                SetHighlighted(i);
                if (!OpenSubMenu(i, true)) m_layer.Choose(item);
                return true;
            }
        }
        return true;
    }
    case YEventCode::kMouseMove: {
        const int32_t index = ItemAt(event.point);
        if (index < 0) {
            // Off the menu: keep an open submenu's row lit, else nothing.
            if (m_subMenu == nullptr || !m_subMenu->IsVisible()) SetHighlighted(-1);
            return true;
        }
        const YMenuItem& item = m_menu.children[static_cast<size_t>(index)];
        SetHighlighted(item.Selectable() ? index : -1);
        if (m_subMenu != nullptr && m_highlighted != index) CloseSubMenu();
        if (!item.children.empty() && item.enabled && m_subMenu == nullptr) {
            m_pendingSubMenu = index;
            if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kSubMenuDelayMs);
        }
        return true;
    }
    case YEventCode::kLeftDown:
    case YEventCode::kRightDown: {
        const int32_t index = ItemAt(event.point);
        if (index >= 0) OpenSubMenu(index, false);
        return true;
    }
    case YEventCode::kLeftUp:
    case YEventCode::kRightUp:
        m_layer.ReleaseAt(event.point);
        return true;
    default:
        return true;
    }
}

void YPopupMenu::Timer() {
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
    if (m_pendingSubMenu >= 0 && m_pendingSubMenu == m_highlighted) OpenSubMenu(m_pendingSubMenu, false);
    m_pendingSubMenu = -1;
}

void YPopupMenu::HoverChanged(bool hovered) {
    if (!hovered && (m_subMenu == nullptr || !m_subMenu->IsVisible())) SetHighlighted(-1);
}

void YPopupMenu::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    style->DrawControl(drawer, YControlType::kMenu, YControlState::kNormal, WindowRect());
    for (int32_t i = 0; i < static_cast<int32_t>(m_menu.children.size()); ++i) {
        const YMenuItem& item = m_menu.children[static_cast<size_t>(i)];
        const YRect r = ItemRect(i);
        if (item.separator) {
            style->DrawSeparator(drawer, r, false);
            continue;
        }
        uint32_t flags = 0;
        if (item.checked) flags |= YMenuItemFlag::kChecked;
        if (!item.children.empty()) flags |= YMenuItemFlag::kSubmenu;
        uint32_t state = item.enabled ? 0 : YControlState::kDisabled;
        if (i == m_highlighted) state |= YControlState::kHighlighted | YControlState::kSelected;
        if (item.highlight) state |= YControlState::kFocused;
        style->DrawMenuItem(drawer, r, item.text, item.shortcut, flags, state);
        if (item.icon >= 0 && item.icon < kStdIconCount && !item.checked) {
            const YSize icon = style->IconSize();
            style->DrawIcon(drawer, static_cast<YStdIcon>(item.icon),
                            YRect::FromSize(r.left + 4, r.top + (r.Height() - icon.y) / 2, icon.x, icon.y),
                            style->TextColor(YControlType::kMenu, state));
        }
    }
}

// ---- YMenuLayer ----

YMenuLayer::YMenuLayer(YControl* root) : YControl(root, "menulayer") {
    SetType(YControlType::kNone);
    SetVisible(false);
    SetUpEvents(YControlUpEvents::kLeftUp | YControlUpEvents::kRightUp);
}

YMenuLayer& YMenuLayer::Of(YControl& control) {
    YControl* root = &control;
    while (root->Parent() != nullptr) root = root->Parent();
    YMenuLayer* layer = nullptr;
    for (YControl* child : root->Children()) {
        if (auto* l = dynamic_cast<YMenuLayer*>(child)) layer = l;
    }
    // The layer must be painted last and hit first: a closed layer that other controls
    // have come after is made again at the end.
    if (layer != nullptr && !layer->IsOpen() && root->Children().back() != layer) {
        root->DeleteChild(layer);
        layer = nullptr;
    }
    if (layer == nullptr) layer = new YMenuLayer(root);
    return *layer;
}

void YMenuLayer::DeleteClosed() {
    for (YPopupMenu* menu : m_closed) DeleteChild(menu);
    m_closed.clear();
}

void YMenuLayer::DeleteClosedLater() {
    // A closing menu may be the one handling the event that closed it: it goes away once the
    // event is over, from the GUI thread's queue.
    if (m_deletePosted) return;
    YWindowSystem* system = WindowSystem();
    if (system == nullptr || system->Windows() == nullptr) return;
    m_deletePosted = true;
    system->Windows()->Post(this, [this] {
        m_deletePosted = false;
        DeleteClosed();
    });
}

YPopupMenu* YMenuLayer::Place(YPopupMenu* menu, YPoint at, const YRect& avoid) {
    const YSize window = Parent()->Size();
    const YSize size = menu->ContentSize();
    int32_t x = at.x;
    int32_t y = at.y;
    if (!avoid.IsEmpty()) {
        if (y + size.y > window.y && avoid.top - size.y >= 0) y = avoid.top - size.y; // above instead
    }
    x = std::clamp(x, 0, std::max(0, window.x - size.x));
    y = std::clamp(y, 0, std::max(0, window.y - size.y));
    menu->SetPosition(x, y);
    menu->SetSize(std::min(size.x, window.x), std::min(size.y, window.y));
    return menu;
}

YPopupMenu* YMenuLayer::Open(YControl& owner, const YMenuItem& menu, YEvent<YOnMenuParams>& target, YPoint at,
                             const YRect& avoid, YMenuBar* bar, bool highlightFirst) {
    if (IsOpen()) {
        // Another menu replaces the open one; the focus still returns to where it was first.
        YControl* before = m_focusBefore;
        CloseAll();
        m_focusBefore = before;
    } else {
        YControl* focused = Parent();
        while (focused->FocusedChild() != nullptr) focused = focused->FocusedChild();
        m_focusBefore = focused;
    }
    m_owner = &owner;
    m_bar = bar;
    m_target = &target;
    SetPosition(0, 0);
    SetSize(Parent()->Size().x, Parent()->Size().y);
    SetVisible(true);
    auto* popup = Place(new YPopupMenu(*this, menu, nullptr), at, avoid);
    m_open.push_back(popup);
    if (highlightFirst) {
        YSystemEvent home = YSystemEvent::Key(YEventCode::kKeyDown, YKey::kHome);
        popup->HandleEvent(home);
    }
    popup->SetFocus();
    Repaint();
    return popup;
}

YPopupMenu* YMenuLayer::OpenSub(YPopupMenu& parent, const YMenuItem& menu, const YRect& row, bool highlightFirst) {
    auto* popup = new YPopupMenu(*this, menu, &parent);
    const YSize size = popup->ContentSize();
    const YRect parentRect = parent.WindowRect();
    // Beside the parent, on the left when the right has no room.
    YPoint at{parentRect.right - 2, row.top - kFrame};
    if (at.x + size.x > Parent()->Size().x) at.x = std::max(0, parentRect.left - size.x + 2);
    Place(popup, at, YRect::Empty());
    m_open.push_back(popup);
    if (highlightFirst) {
        YSystemEvent home = YSystemEvent::Key(YEventCode::kKeyDown, YKey::kHome);
        popup->HandleEvent(home);
    }
    popup->SetFocus();
    return popup;
}

void YMenuLayer::Close(YPopupMenu& menu) {
    auto it = std::find(m_open.begin(), m_open.end(), &menu);
    if (it == m_open.end()) return;
    // The menu and everything opened from it (they follow it in the list).
    for (auto i = it; i != m_open.end(); ++i) {
        (*i)->SetVisible(false);
        m_closed.push_back(*i);
    }
    m_open.erase(it, m_open.end());
    DeleteClosedLater();
    if (!m_open.empty()) {
        m_open.back()->SetFocus();
    }
}

void YMenuLayer::CloseAll() {
    if (m_open.empty()) return;
    for (YPopupMenu* menu : m_open) {
        menu->SetVisible(false);
        m_closed.push_back(menu);
    }
    m_open.clear();
    DeleteClosedLater();
    SetVisible(false);
    YMenuBar* bar = m_bar;
    m_bar = nullptr;
    if (InTree(*Parent(), m_focusBefore) && m_focusBefore != Parent()) m_focusBefore->SetFocus();
    m_focusBefore = nullptr;
    if (bar != nullptr) bar->MenusClosed();
}

void YMenuLayer::Choose(const YMenuItem& item) {
    YEvent<YOnMenuParams>* target = m_target;
    YControl* owner = m_owner;
    const int32_t id = item.id;
    CloseAll();
    if (target != nullptr) {
        YOnMenuParams params{owner, id};
        target->Fire(params);
    }
}

bool YMenuLayer::ReleaseAt(YPoint p) {
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
        const int32_t index = (*it)->ItemAt(p);
        if (index < 0) continue;
        const YMenuItem& item = (*it)->Menu().children[static_cast<size_t>(index)];
        if (!item.Selectable() || !item.children.empty()) return false;
        const YMenuItem chosen = item; // the menu goes away in Choose
        Choose(chosen);
        return true;
    }
    return false;
}

void YMenuLayer::PointerAt(YSystemEvent& event) {
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
        if ((*it)->WindowRect().Contains(event.point)) {
            (*it)->HandleEvent(event);
            return;
        }
    }
}

bool YMenuLayer::HandleEvent(YSystemEvent& event) {
    switch (event.code) {
    case YEventCode::kLeftDown:
    case YEventCode::kRightDown:
    case YEventCode::kMiddleDown:
        // A press outside every menu: over the bar it is the bar's, elsewhere it closes.
        if (m_bar != nullptr && m_bar->WindowRect().Contains(event.point)) {
            m_bar->PressWhileOpen(event.point);
        } else {
            CloseAll();
        }
        return true;
    case YEventCode::kMouseMove:
        if (m_bar != nullptr && m_bar->WindowRect().Contains(event.point)) m_bar->PointerWhileOpen(event.point);
        return true;
    case YEventCode::kLeftUp:
    case YEventCode::kRightUp:
        ReleaseAt(event.point);
        return true;
    case YEventCode::kKeyDown:
        if (event.keyCode == YKey::kEscape) CloseAll();
        return true;
    default:
        return true;
    }
}
