// Helpers of the shell's tests: waiting on the event loop with a time limit, and an application
// started on a temporary settings store with scripted dialogs.
#pragma once
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "support/process_values_reset.h"
#include "support/temp_config_home.h"
#include "ui/vemo_app.h"

namespace shell_test {

// Runs the event loop until done() holds or limit_ms passed; the result of done().
inline bool WaitUntil(const std::function<bool()>& done, int limit_ms = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

using vemo_test::ResetProcessValues;

// A CVemoApp on a temporary settings store, with recorded message boxes.
class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessValues(); }
  void TearDown() override { Stop(); }

  // Makes the application (not yet started).
  CVemoApp& Make() {
    app_ = std::make_unique<CVemoApp>();
    app_->SetSingleInstance(false);
    app_->SetExecutablePath("/nonexistent/vemo");  // not checked: the test binary is no vemo
    app_->DialogHooks().message_box = [this](const QString& text, const QString& caption,
                                             UINT style) {
      messages_.push_back(caption + QStringLiteral(": ") + text);
      return answer_ ? answer_(text, style) : IDOK;
    };
    app_->DialogHooks().folder = [](const QString&, const QString&) {
      return std::optional<QString>();
    };
    return *app_;
  }
  bool Start(const QStringList& args) {
    if (!app_) Make();
    return app_->InitInstance(args);
  }
  void Stop() {
    if (!app_) return;
    app_->CloseAllDocuments();
    app_->ExitInstance(0);
    app_.reset();
    ResetProcessValues();
  }
  static bool WaitIdle(CVemoDoc* doc) {
    return WaitUntil([doc] { return doc->GetState() == DocState::kIdle; });
  }

  TempConfigHome home_;
  std::unique_ptr<CVemoApp> app_;
  std::vector<QString> messages_;
  std::function<int(const QString& text, UINT style)> answer_;
};

}  // namespace shell_test
