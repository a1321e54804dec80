#include "framework/core/Classes.h"

#include <algorithm>

#include "framework/core/Typinfo.h"

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TObject>("TObject", nullptr).Build();
  return info;
}

const char* TObject::ClassName() const {
  return ClassInfo().Name.c_str();
}

bool TObject::InheritsFrom(const TClassInfo& info) const {
  return ClassInfo().InheritsFrom(info);
}

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClassInfo()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent* source) {
  throw EConvertError(
      Format("Cannot assign a %s to a %s", source ? source->ClassName() : "nil", ClassName()));
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Last created goes first, so that later components may still rely on earlier ones.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    Free(last);  // its destructor removes it from components_
  }
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  component->owner_ = this;
  components_.push_back(component);
  for (TComponent* other : components_) {
    if (other != component) other->Notification(component, TOperation::opInsert);
  }
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it == components_.end()) return;
  components_.erase(it);
  component->owner_ = nullptr;
  Notification(component, TOperation::opRemove);
  for (TComponent* other : components_) other->Notification(component, TOperation::opRemove);
}

void TComponent::Notification(TComponent*, TOperation) {}

bool IsValidIdent(const AnsiString& name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(name[0])) return false;
  return std::all_of(name.begin(), name.end(),
                     [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

void TComponent::SetName(const AnsiString& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) {
    throw EConvertError(Format("'%s' is not a valid component name", name.c_str()));
  }
  if (!name.empty() && owner_) {
    const TComponent* other = owner_->FindComponent(name);
    if (other && other != this) {
      throw EConvertError(Format("A component named %s already exists", name.c_str()));
    }
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  if (name.empty()) return nullptr;
  const AnsiString wanted = AsciiUpperCase(name);
  for (TComponent* component : components_) {
    if (AsciiUpperCase(component->name_) == wanted) return component;
  }
  return nullptr;
}

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_ |= csDesigning;
  } else {
    state_ &= ~csDesigning;
  }
  for (TComponent* component : components_) component->SetDesigning(designing);
}

void TComponent::Loaded() {
  state_ &= ~(csLoading | csReading);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetParentComponent(TComponent*) {}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TStrings::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClassInfo())
          .Property("Strings", &TStrings::Items, &TStrings::SetItems,
                    Default(std::vector<AnsiString>{}))
          .Build();
  return info;
}

const AnsiString& TStrings::operator[](int index) const {
  if (index < 0 || index >= Count()) {
    throw ERangeError(Format("List index out of bounds (%d)", index));
  }
  return items_[static_cast<size_t>(index)];
}

void TStrings::Put(int index, const AnsiString& text) {
  (void)(*this)[index];
  items_[static_cast<size_t>(index)] = text;
  Changed();
}

int TStrings::Add(const AnsiString& text) {
  items_.push_back(text);
  Changed();
  return Count() - 1;
}

void TStrings::Insert(int index, const AnsiString& text) {
  if (index < 0 || index > Count()) {
    throw ERangeError(Format("List index out of bounds (%d)", index));
  }
  items_.insert(items_.begin() + index, text);
  Changed();
}

void TStrings::Delete(int index) {
  (void)(*this)[index];
  items_.erase(items_.begin() + index);
  Changed();
}

void TStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

int TStrings::IndexOf(const AnsiString& text) const {
  auto it = std::find(items_.begin(), items_.end(), text);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TStrings::SetItems(std::vector<AnsiString> items) {
  items_ = std::move(items);
  Changed();
}

AnsiString TStrings::Text() const {
  AnsiString text;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) text += "\r\n";
    text += items_[i];
  }
  return text;
}

void TStrings::SetText(const AnsiString& text) {
  std::vector<AnsiString> lines;
  AnsiString line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  SetItems(std::move(lines));
}

void TStrings::Assign(const TPersistent* source) {
  if (auto* strings = dynamic_cast<const TStrings*>(source)) {
    SetItems(strings->items_);
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::Changed() {
  OnChange(this);
}
