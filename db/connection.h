#pragma once
// A window's own connection: opened with the window, closed with it.
#include <QSqlDatabase>
#include <QString>

class Connection {
 public:
  Connection() = default;
  explicit Connection(QString name) : name_(std::move(name)) {}
  Connection(Connection&& other) noexcept : name_(std::move(other.name_)) { other.name_.clear(); }
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
  const QString& name() const { return name_; }

 private:
  QString name_;
};
