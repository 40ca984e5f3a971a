#include "db/connection.h"

#include "db/sql.h"

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    if (!name_.isEmpty()) CloseConnection(name_);
    name_ = std::move(other.name_);
    other.name_.clear();
  }
  return *this;
}

Connection::~Connection() {
  if (!name_.isEmpty()) CloseConnection(name_);
}
