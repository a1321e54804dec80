#include "framework/win/Menus.h"

#include <algorithm>

#include "framework/win/Forms.h"
#include "framework/win/Platform.h"
#include "framework/win/WinControls.h"

const TClassInfo& TMenuItem::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClassInfo())
          .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, ::Default(AnsiString()))
          .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, ::Default(false))
          .Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault, ::Default(false))
          .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, ::Default(true))
          .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, ::Default(true))
          .Property("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw ERangeError(Format("Menu index out of range (%d)", index));
  }
  return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  item->parent_ = this;
  items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (item->parent_ == this) item->parent_ = nullptr;
}

void TMenuItem::Click() {
  if (enabled_) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TPopupMenu*>(parent)) {
    menu->Items()->Add(this);
  } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
    item->Add(this);
  }
}

TComponent* TMenuItem::GetParentComponent() const {
  return parent_;
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TMenuItem* item : items_) {
    if (item->Owner() == root) proc(item);
  }
}

void TMenuItem::BuildMenu(HMENU menu, std::vector<TMenuItem*>& ids) const {
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    UINT flags = MF_STRING;
    if (!item->enabled_) flags |= MF_GRAYED;
    if (item->checked_) flags |= MF_CHECKED;
    if (item->caption_ == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (!item->items_.empty()) {
      TMenuHandle sub(CreatePopupMenu());
      if (!sub) RaiseLastOSError("Cannot create a popup menu");
      item->BuildMenu(sub.Get(), ids);
      // Once appended, the submenu goes with its menu.
      if (AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Get()),
                      WideText(item->caption_).c_str())) {
        sub.Release();
      }
      continue;
    }
    ids.push_back(item);
    AppendMenuW(menu, flags, ids.size(), WideText(item->caption_).c_str());
    if (item->default_) SetMenuDefaultItem(menu, static_cast<UINT>(ids.size()), FALSE);
  }
}

const TClassInfo& TPopupMenu::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPopupMenu>("TPopupMenu", &TComponent::StaticClassInfo())
          .Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::OnPopup)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
  delete items_;
}

void TPopupMenu::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  items_->GetChildren(proc, root);
}

void TPopupMenu::Popup(int x, int y) {
  OnPopup(this);
  TMenuHandle menu(CreatePopupMenu());
  if (!menu) RaiseLastOSError("Cannot create a popup menu");
  std::vector<TMenuItem*> ids;
  items_->BuildMenu(menu.Get(), ids);
  HWND owner = Application->Handle();
  const UINT chosen = TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x,
                                     y, 0, owner, nullptr);
  menu.Reset();
  // The menu of a window that is not in front needs this to close properly next time.
  PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen > 0 && chosen <= ids.size()) ids[chosen - 1]->Click();
}

void PopupMenuAt(TPopupMenu* menu, int x, int y) {
  if (menu) menu->Popup(x, y);
}
