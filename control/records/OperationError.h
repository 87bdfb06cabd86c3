#pragma once

#include "common/Trace.h"
#include "control/records/ErrorNumbers.h"

#include <QString>

#include <exception>
#include <new>
#include <type_traits>

// The one error type inside operations: a failing step throws it, and the operation's single
// handler traces it and returns its number. It never leaves an operation that returns a number.
class OperationError : public std::exception {
public:
    OperationError(long number, QString description, QString source = QString());

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

    // "number: description", with the item key in parentheses when one is given.
    QString traceText(const QString& itemKey = QString()) const;

private:
    long m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// The single handler of an operation that returns a number: runs `body`; a failure is traced
// under `procedure` at `errorLevel` (with the item key, when given) and its number returned.
// Resources the body held are released by their RAII owners on the way out. The key may be given
// as a function, so that loops over thousands of records build it only when something fails.
template <typename Body, typename ItemKey = QString>
long runOperation(const QString& procedure, int errorLevel, Body&& body, const ItemKey& itemKey = {})
{
    auto keyText = [&]() -> QString {
        if constexpr (std::is_invocable_v<const ItemKey&>)
            return itemKey();
        else
            return itemKey;
    };
    try {
        return body();
    } catch (const OperationError& e) {
        TraceEvent(procedure, e.traceText(keyText()), errorLevel);
        return e.number();
    } catch (const std::bad_alloc&) {
        TraceEvent(procedure, QStringLiteral("%1: out of memory").arg(kErrorOutOfMemory), errorLevel);
        return kErrorOutOfMemory;
    } catch (const std::exception& e) {
        TraceEvent(procedure, QStringLiteral("%1: %2").arg(kErrorInternal).arg(QString::fromLocal8Bit(e.what())),
                   errorLevel);
        return kErrorInternal;
    }
}
