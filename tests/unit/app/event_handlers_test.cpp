// How a window runs the handlers its program registered, the same on every
// window backend.
#include "ui/common/event_handlers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace bt {
namespace {

TEST(EventHandlers, AnEventRunsOnlyTheHandlerOfItsControlAndEvent) {
  EventHandlers handlers;
  std::vector<std::string> ran;
  handlers.Set("cmdBackup", ControlEvent::Click, [&] { ran.push_back("backup"); });
  handlers.Set("dirLocal", ControlEvent::Change, [&] { ran.push_back("folder"); });
  handlers.Raise("cmdBackup", ControlEvent::Click);
  handlers.Raise("cmdBackup", ControlEvent::Change);
  handlers.Raise("cmdSair", ControlEvent::Click);
  EXPECT_EQ(ran, std::vector<std::string>{"backup"});
  EXPECT_TRUE(handlers.Has("dirLocal", ControlEvent::Change));
  EXPECT_FALSE(handlers.Has("dirLocal", ControlEvent::Click));
}

TEST(EventHandlers, AnEmptyHandlerRemovesTheOneBefore) {
  EventHandlers handlers;
  int runs = 0;
  handlers.Set("cmdSair", ControlEvent::Click, [&] { ++runs; });
  handlers.Set("cmdSair", ControlEvent::Click, {});
  handlers.Raise("cmdSair", ControlEvent::Click);
  EXPECT_EQ(runs, 0);
  EXPECT_FALSE(handlers.Has("cmdSair", ControlEvent::Click));
}

TEST(EventHandlers, AHandlerThatReplacesItselfRunsToItsEndAndTheNewOneRunsNextTime) {
  EventHandlers handlers;
  std::vector<std::string> ran;
  const std::string mark = "the first handler's own state, alive to its end";
  handlers.Set("cmdBackup", ControlEvent::Click, [&handlers, &ran, mark] {
    handlers.Set("cmdBackup", ControlEvent::Click, [&ran] { ran.push_back("second"); });
    ran.push_back(mark);
  });
  handlers.Raise("cmdBackup", ControlEvent::Click);
  handlers.Raise("cmdBackup", ControlEvent::Click);
  EXPECT_EQ(ran, (std::vector<std::string>{mark, "second"}));
}

TEST(EventHandlers, WhatAHandlerThrowsGoesOnToTheCaller) {
  EventHandlers handlers;
  handlers.Set("cmdRestore", ControlEvent::Click, [] { throw std::runtime_error("falhou"); });
  EXPECT_THROW(handlers.Raise("cmdRestore", ControlEvent::Click), std::runtime_error);
}

}  // namespace
}  // namespace bt
