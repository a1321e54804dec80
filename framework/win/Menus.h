// Popup menus and their items. The menu's window is built afresh from the items each time it
// opens, so a caption changed at run time shows the next time.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/core/Classes.h"
#include "framework/core/Typinfo.h"

class TMenuItem : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption) { caption_ = caption; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }

  // Sub-items, by position; not owned (their owner component frees them).
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const;
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* ParentItem() const { return parent_; }

  virtual void Click();
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  // Appends this item's sub-items to a menu; the ids map back to the items.
  void BuildMenu(HMENU menu, std::vector<TMenuItem*>& ids) const;

  TNotifyEvent OnClick;

 private:
  friend class TPopupMenu;
  AnsiString caption_;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  bool default_ = false;
  std::vector<TMenuItem*> items_;     // not owned
  TMenuItem* parent_ = nullptr;       // not owned
  class TPopupMenu* menu_ = nullptr;  // the menu whose top level holds us, not owned
};

class TPopupMenu : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  // The top-level items, by position.
  TMenuItem* Items() const { return items_; }
  // Opens the menu at screen coordinates; returns when it closes, after the chosen item's
  // OnClick has run.
  virtual void Popup(int x, int y);
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  TNotifyEvent OnPopup;

 private:
  TMenuItem* items_;  // owned
};
