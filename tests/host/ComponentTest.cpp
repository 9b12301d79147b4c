#include "framework/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

std::vector<std::string> g_log;

class TLogged : public TComponent {
 public:
  TLogged(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
  ~TLogged() override { g_log.push_back("free " + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) g_log.push_back(Name() + " hears " + c->Name() + " go");
  }

 protected:
  void Loaded() override {
    TComponent::Loaded();
    g_log.push_back("loaded " + Name());
  }
};

TEST(Component, OwnedComponentsAreFreedLastCreatedFirst) {
  g_log.clear();
  auto* owner = new TLogged(nullptr, "form");
  new TLogged(owner, "a");
  new TLogged(owner, "b");
  new TLogged(owner, "c");
  EXPECT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->FindComponent("B")->Name(), "b");
  owner->Free();
  std::vector<std::string> frees;
  for (const auto& line : g_log)
    if (line.rfind("free ", 0) == 0) frees.push_back(line);
  EXPECT_EQ(frees, (std::vector<std::string>{"free c", "free b", "free a", "free form"}));
}

TEST(Component, FreeNotificationTellsTheOtherSideOnce) {
  g_log.clear();
  auto* watcher = new TLogged(nullptr, "watcher");
  auto* menu = new TLogged(nullptr, "menu");
  watcher->FreeNotification(menu);
  menu->Free();
  EXPECT_EQ(g_log, (std::vector<std::string>{"watcher hears menu go", "free menu"}));
  g_log.clear();
  watcher->Free();  // must not touch the freed menu
  EXPECT_EQ(g_log, (std::vector<std::string>{"free watcher"}));
}

TEST(Component, LoadingRunsEveryAfterLoadStepOwnedFirst) {
  g_log.clear();
  TLogged form(nullptr, "form");
  auto* a = new TLogged(&form, "a");
  form.BeginLoading();
  auto* b = new TLogged(&form, "b");  // created while loading: joins the state
  EXPECT_TRUE(form.Loading());
  EXPECT_TRUE(a->Loading());
  form.EndLoading();
  EXPECT_EQ(g_log, (std::vector<std::string>{"loaded a", "loaded b", "loaded form"}));
  EXPECT_FALSE(form.Loading());
  EXPECT_FALSE(b->Loading());
}

TEST(Component, DesigningIsInheritedFromTheOwner) {
  TLogged form(nullptr, "form");
  form.SetDesigning(true);
  TLogged* child = new TLogged(&form, "child");
  EXPECT_TRUE(child->Designing());
  form.SetDesigning(false);
  EXPECT_FALSE(child->Designing());
}

}  // namespace
}  // namespace qv
