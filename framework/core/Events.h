// Events: a handler bound to an object, null when unset, called with the sender first.
//
// A handler bound from a form description remembers its method name so that the form can be
// written back. The event shapes used by the framework are declared here.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/Sysutils.h"

class TObject;

template <typename... Args>
class TEvent {
 public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}
  // Binds a method of `object`.
  template <class T>
  TEvent(T* object, void (T::*method)(Args...))
      : handler_([object, method](Args... args) { (object->*method)(args...); }), object_(object) {}
  // Binds any callable; tests use this for counters.
  template <class F, class = std::enable_if_t<std::is_invocable_v<F, Args...> &&
                                              !std::is_same_v<std::decay_t<F>, TEvent>>>
  TEvent(F function) : handler_(std::move(function)) {}

  explicit operator bool() const { return static_cast<bool>(handler_); }
  void operator()(Args... args) const {
    if (handler_) handler_(args...);
  }

  const void* Object() const { return object_; }
  const AnsiString& MethodName() const { return method_name_; }
  TEvent& Named(AnsiString name) {
    method_name_ = std::move(name);
    return *this;
  }

 private:
  std::function<void(Args...)> handler_;
  const void* object_ = nullptr;
  AnsiString method_name_;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits.
enum TShiftFlag : uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = uint8_t;

using TNotifyEvent = TEvent<TObject*>;
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
// The key may be changed or set to 0 (dropped) by the handler.
using TKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, wchar_t&>;  // a unit of UTF-16
