#pragma once
// Comparable event delegates: an object plus one of its member functions.
// Two delegates are equal when they name the same object and the same method,
// which is what lets code ask whether an event "still holds" a given handler.

#include <utility>

namespace qv {

class TObject;

template <class... Args>
class TMethod {
 public:
  TMethod() = default;
  TMethod(std::nullptr_t) {}

  // TMethod<...>::Of<&TMainWindow::FormCreate>(this)
  template <auto Method, class T>
  static TMethod Of(T* object) {
    TMethod m;
    m.object_ = object;
    m.thunk_ = &Thunk<T, Method>;
    return m;
  }

  explicit operator bool() const { return thunk_ != nullptr; }
  void operator()(Args... args) const {
    if (thunk_) thunk_(object_, std::forward<Args>(args)...);
  }
  const void* Object() const { return object_; }

  friend bool operator==(const TMethod& a, const TMethod& b) {
    return a.object_ == b.object_ && a.thunk_ == b.thunk_;
  }

 private:
  template <class T, auto Method>
  static void Thunk(void* object, Args... args) {
    (static_cast<T*>(object)->*Method)(std::forward<Args>(args)...);
  }

  void* object_ = nullptr;
  void (*thunk_)(void*, Args...) = nullptr;
};

// The event that carries only its sender.
using TNotifyEvent = TMethod<TObject*>;

}  // namespace qv
