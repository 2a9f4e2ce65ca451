#pragma once

#include <QString>
#include <exception>

// The system's raisable runtime error. Its kind decides the short name in a
// reported message; std exceptions are mapped onto kinds when reported.
class RuntimeError : public std::exception {
public:
    enum class Kind { NilObject, IllegalCast, OutOfBounds, RegEx, StackOverflow, TypeMismatch, OutOfMemory, KeyNotFound, Other };

    explicit RuntimeError(Kind kind = Kind::Other, QString message = {}) : m_kind(kind), m_message(std::move(message)) {}
    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }
    void setMessage(const QString& message) { m_message = message; }
    const char* what() const noexcept override { return "RuntimeError"; }

private:
    Kind m_kind;
    QString m_message;
};

// A settings file whose content cannot be what was written (a length or count
// past the end, negative or not a number).
class DamagedFileError : public RuntimeError {
public:
    explicit DamagedFileError(const QString& message) : RuntimeError(Kind::OutOfBounds, message) {}
};
