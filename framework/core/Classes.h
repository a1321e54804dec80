// The object model: TObject, TPersistent, TComponent with owners and names, and string lists.
//
// Ownership: a component frees every component it owns, last created first, before it goes.
// Any component may point at another of the same owner; when one goes, every component of
// its owner hears of it through Notification and drops its pointers.
#pragma once

#include <functional>
#include <vector>

#include "framework/core/Events.h"
#include "framework/core/Streams.h"
#include "framework/core/Sysutils.h"

class TClassInfo;

class TObject {
 public:
  virtual ~TObject() = default;
  // Runs before the object is deleted by Free (and so by its owner), while it is still whole:
  // a class releases here what needs its virtual functions to go (a window that still sends
  // messages to it).
  virtual void BeforeDestruction() {}
  // BeforeDestruction, then delete. Null does nothing.
  static void Free(TObject* object) {
    if (!object) return;
    object->BeforeDestruction();
    delete object;
  }
  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  const char* ClassName() const;
  bool InheritsFrom(const TClassInfo& info) const;
};

// Declares a class's property information; the definition builds it with TClassBuilder.
#define DECLARE_CLASS_INFO()                     \
 public:                                         \
  static const TClassInfo& StaticClassInfo();    \
  const TClassInfo& ClassInfo() const override { \
    return StaticClassInfo();                    \
  }

class TPersistent : public TObject {
  DECLARE_CLASS_INFO()
 public:
  // Copies source into this object. The base raises EConvertError naming both classes.
  virtual void Assign(const TPersistent* source);
};

enum TComponentStateFlag : uint32_t {
  csLoading = 1,
  csReading = 2,
  csDesigning = 4,
  csDestroying = 8,
};
using TComponentState = uint32_t;

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  // Raises EConvertError for a name that is not an identifier or is taken in the owner.
  virtual void SetName(const AnsiString& name);
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* FindComponent(const AnsiString& name) const;

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_ & csLoading; }
  bool IsDesigning() const { return state_ & csDesigning; }
  void SetDesigning(bool designing);  // for this component and all it owns
  void BeginLoading() { state_ |= csLoading | csReading; }
  void EndReading() { state_ &= ~csReading; }
  // Leaves the loading state without Loaded: for a read that failed half way.
  void EndLoading() { state_ &= ~(csLoading | csReading); }

  // Called once after a form description has set every property of every component.
  virtual void Loaded();
  // Reports the components that a form description writes nested inside this one.
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
  // Places a component read nested inside `parent` (a control gets its parent window).
  virtual void SetParentComponent(TComponent* parent);
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // Another component of the same owner is inserted or about to go.
  virtual void Notification(TComponent* component, TOperation operation);

  // Takes over or gives up ownership.
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

 private:
  TComponent* owner_ = nullptr;  // not owned
  AnsiString name_;
  std::vector<TComponent*> components_;  // owned
  TComponentState state_ = 0;
};

bool IsValidIdent(const AnsiString& name);

class TStrings : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises ERangeError for an index outside 0..Count-1.
  const AnsiString& operator[](int index) const;
  void Put(int index, const AnsiString& text);
  virtual int Add(const AnsiString& text);
  void Insert(int index, const AnsiString& text);
  void Delete(int index);
  void Clear();
  int IndexOf(const AnsiString& text) const;
  const std::vector<AnsiString>& Items() const { return items_; }
  void SetItems(std::vector<AnsiString> items);
  // Lines separated by CR LF (or LF) ; the last line has no terminator.
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 protected:
  void Changed();
  std::vector<AnsiString> items_;
};

using TStringList = TStrings;
