#pragma once
// TObject and TComponent: class names, ownership, and the loading / designing /
// destroying states that decide when a component may take hold of system resources.

#include <string>
#include <vector>

#include "framework/Events.h"

namespace qv {

// Declares a class's name for the property registry and the persistent form.
#define QV_CLASS(Name)                                         \
 public:                                                       \
  static constexpr const char* StaticClassName = #Name;        \
  const char* ClassName() const override { return #Name; }     \
                                                               \
 private:

class TObject {
 public:
  static constexpr const char* StaticClassName = "TObject";
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return StaticClassName; }
};

enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csDesigning = 1u << 1,
  csDestroying = 1u << 2,
};

enum class TOperation { opInsert, opRemove };

class TComponent;
// For std::unique_ptr: frees through TComponent::Free.
struct ComponentDeleter {
  void operator()(TComponent* component) const;
};

class TComponent : public TObject {
  QV_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  // The owned component of that name (letter case ignored), or null.
  TComponent* FindComponent(const std::string& name) const;

  unsigned ComponentState() const { return state_; }
  bool Loading() const { return state_ & csLoading; }
  bool Designing() const { return state_ & csDesigning; }
  bool Destroying() const { return state_ & csDestroying; }

  // Puts this component and everything it owns into the designing state (a form
  // designer's view): such components take no system resources.
  void SetDesigning(bool value);

  // Design loading: BeginLoading marks this component and its owned components as
  // loading; EndLoading runs every after-load step (owned components first, in
  // creation order, then this one).
  void BeginLoading();
  void EndLoading();

  // Told when a component is inserted into or removed from this one's ownership, and
  // when a component this one asked to be told about is freed.
  virtual void Notification(TComponent* component, TOperation operation);
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Frees every owned component, last-created first.
  void DestroyComponents();

  // Frees this component: BeforeDestruction runs while the whole object still
  // exists (free notices go out, owned components are freed; a form saves its
  // state first), then delete.
  void Free();
  virtual void BeforeDestruction();

  int Tag = 0;

 protected:
  // The after-load step, run once the design's properties are all set.
  virtual void Loaded();
  void SetState(unsigned flag, bool on);

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  unsigned state_ = 0;
};

}  // namespace qv
