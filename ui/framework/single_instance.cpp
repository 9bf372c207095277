#include "ui/framework/single_instance.h"

#include <unistd.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>

namespace {

// The confirmation the running program sends back once it has the names.
constexpr char kAck = '!';

}  // namespace

CNSingleInstance::CNSingleInstance(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &CNSingleInstance::OnNewConnection);
}

CNSingleInstance::~CNSingleInstance() { server_->close(); }

QString CNSingleInstance::ServerName() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + QStringLiteral("/vemo.socket");
  return QDir::tempPath() + QStringLiteral("/vemo-%1.socket").arg(getuid());
}

bool CNSingleInstance::HandOver(const QStringList& files, int timeout_ms) {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(timeout_ms)) return false;
  QByteArray message;
  {
    QDataStream out(&message, QIODevice::WriteOnly);
    QList<QByteArray> names;
    for (const QString& file : files) names << QFile::encodeName(file);
    out << names;
  }
  QByteArray framed;
  {
    QDataStream out(&framed, QIODevice::WriteOnly);
    out << message;
  }
  socket.write(framed);
  if (!socket.waitForBytesWritten(timeout_ms)) return false;
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(timeout_ms)) return false;
  }
  char ack = 0;
  return socket.getChar(&ack) && ack == kAck;
}

bool CNSingleInstance::Listen() {
  const QString name = ServerName();
  if (server_->listen(name)) return true;
  // Another program may serve it already (one started without files); never take its socket.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(500)) return false;
  // Nobody answers: a socket left behind by a program that ended without closing it.
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

void CNSingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      QDataStream in(socket);
      in.startTransaction();
      QByteArray message;
      in >> message;
      if (!in.commitTransaction()) return;  // not all there yet
      QList<QByteArray> names;
      QDataStream names_in(message);
      names_in >> names;
      socket->putChar(kAck);
      socket->flush();
      QStringList files;
      for (const QByteArray& name : names) files << QFile::decodeName(name);
      // Opening may show message boxes; the socket's handler must not wait for them.
      QMetaObject::invokeMethod(
          this, [this, files] { emit FilesReceived(files); }, Qt::QueuedConnection);
    });
  }
}
