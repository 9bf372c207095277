// CNSingleInstance: hands the files of a second start to the program already running for the same
// user, as the shell's open request reaches a running program on other systems. The running
// program listens on a local socket private to the user ($XDG_RUNTIME_DIR/vemo.socket, else a
// per-user name in the temporary folder); a second start connects, sends its file names and ends
// once the running program has confirmed them. A start that cannot reach a running program opens
// the files itself.
//
// The names travel as the file system's bytes, so any file name arrives unchanged.
// User-interface thread only.
#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class CNSingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit CNSingleInstance(QObject* parent = nullptr);
  ~CNSingleInstance() override;

  // The socket's name for this user.
  [[nodiscard]] static QString ServerName();

  // Sends files (absolute paths) to a running program and waits for its confirmation, at most
  // timeout_ms. True when the running program took them.
  [[nodiscard]] static bool HandOver(const QStringList& files, int timeout_ms = 5000);

  // Starts listening (replacing a socket left behind by a program that ended without closing
  // it). False when the socket cannot be made; the program then simply runs alone.
  bool Listen();

 signals:
  // A second start handed these files over.
  void FilesReceived(const QStringList& files);

 private:
  void OnNewConnection();

  QLocalServer* server_;
};
