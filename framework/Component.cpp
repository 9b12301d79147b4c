#include "framework/Component.h"

#include <algorithm>

#include "framework/SysUtils.h"

namespace qv {

TComponent::TComponent(TComponent* owner) {
  if (owner) {
    if (owner->Designing()) state_ |= csDesigning;
    // Made while its owner's design is loading: it is part of that design.
    if (owner->Loading()) state_ |= csLoading;
    owner->Insert(this);
  }
}

TComponent::~TComponent() {
  // Normally done by Free, while the whole object still existed.
  TComponent::BeforeDestruction();
  if (owner_) owner_->Remove(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->Name(), name)) return c;
  return nullptr;
}

void TComponent::SetState(unsigned flag, bool on) {
  if (on)
    state_ |= flag;
  else
    state_ &= ~flag;
}

void TComponent::SetDesigning(bool value) {
  SetState(csDesigning, value);
  for (TComponent* c : components_) c->SetDesigning(value);
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  // Copy: an after-load step may create components of its own.
  std::vector<TComponent*> owned = components_;
  for (TComponent* c : owned)
    if (c->Loading()) c->EndLoading();
  if (Loading()) Loaded();
}

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove) {
    free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), component),
                         free_notifies_.end());
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end())
    free_notifies_.push_back(component);
  auto& theirs = component->free_notifies_;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), component),
                       free_notifies_.end());
  auto& theirs = component->free_notifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    // Removing first means the child's destructor finds no owner to detach from.
    Remove(last);
    last->BeforeDestruction();
    delete last;
  }
}

void TComponent::Free() {
  BeforeDestruction();
  delete this;
}

void TComponent::BeforeDestruction() {
  state_ |= csDestroying;
  // Whoever asked to hear of our end hears it now, while we are still whole.
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    auto& theirs = other->free_notifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
}

void ComponentDeleter::operator()(TComponent* component) const {
  if (component) component->Free();
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, TOperation::opInsert);
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it == components_.end()) return;
  components_.erase(it);
  component->owner_ = nullptr;
  Notification(component, TOperation::opRemove);
  for (TComponent* c : components_) c->Notification(component, TOperation::opRemove);
}

}  // namespace qv
