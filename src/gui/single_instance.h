#pragma once
// One program per user and system directory: the first start listens on a
// local socket; a second start finds it, asks it to come forward and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace kestrune {

class SingleInstance final : public QObject {
    Q_OBJECT

  public:
    // `name` tells instances apart (see defaultName).
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name for this user and system directory.
    static QString defaultName();

    // True when another instance answered (it has been asked to come
    // forward): this one should end. Otherwise this one now listens and
    // reports later starts through activationRequested.
    bool anotherIsRunning(int timeoutMs = 1000);
    bool listening() const;

  signals:
    void activationRequested();

  private:
    void acceptConnections();

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace kestrune
