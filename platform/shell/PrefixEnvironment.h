#pragma once

#include <QHash>
#include <QString>

// The environment variables a Windows program would see in the prefix, for expanding %NAME% in
// paths found in the registry. Names compare without regard to case. Built once from the current
// registry, or filled by hand (tests, callers that know better).
class PrefixEnvironment {
public:
    PrefixEnvironment() = default;

    // Reads the variables from Registry::current(): the machine and user environments, the
    // user's volatile environment, and the folders Windows itself derives (SystemRoot, windir,
    // SystemDrive, ProgramFiles, ...). Missing keys are skipped; without a current registry only
    // the built-in SystemRoot, windir and SystemDrive are set.
    static PrefixEnvironment fromRegistry();

    void set(const QString& name, const QString& value);
    bool contains(const QString& name) const;
    // The raw (unexpanded) value; a null QString when the name is unknown.
    QString value(const QString& name) const;

    // SystemRoot (expanded), or C:\windows when it is not set.
    QString systemRoot() const;

    // Replaces every %NAME% of a known variable by its value, itself expanded (to a depth of
    // kMaxExpansionDepth, so that self-referencing values stop). Unknown names stay as they are.
    QString expand(const QString& text) const;

    static constexpr int kMaxExpansionDepth = 8;
    // Windows limits an environment value to this many characters; longer expansions are cut.
    static constexpr int kMaxExpandedLength = 32767;
    // Values that name each other many times over would otherwise take exponential time.
    static constexpr int kMaxSubstitutions = 10000;

private:
    QString expand(const QString& text, int depth, int& budget) const;

    QHash<QString, QString> m_values; // key: name in lower case
};
