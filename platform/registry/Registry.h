#pragma once

#include "platform/registry/Hive.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

// The registry engine: hives mounted under the predefined roots, handles with access rights, and
// the operations of advapi32 with their Win32 results. HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\Software\Classes, as in Wine.
//
// Changes are saved through the commit handler: after each changing call, or, inside a batch
// (CommandScope), once when the outermost batch ends.
class Registry {
public:
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // ---- set-up
    void mountMachine(std::shared_ptr<Hive> hive, bool readOnly = false);
    void mountUser(std::shared_ptr<Hive> hive, bool readOnly = false);
    const std::shared_ptr<Hive>& machineHive() const { return m_machine.hive; }
    const std::shared_ptr<Hive>& userHive() const { return m_user.hive; }
    bool isReadOnly(const Hive* hive) const;

    // Called when changes are to be made durable; returns false when saving failed.
    using CommitHandler = std::function<bool()>;
    void setCommitHandler(CommitHandler handler) { m_commit = std::move(handler); }

    // The source of "now" for key times (FILETIME ticks); replaceable in tests.
    using Clock = std::function<std::int64_t()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }
    std::int64_t now() const;

    // ---- batches
    void beginBatch();
    // Ends a batch; the outermost end commits. Returns false when the commit failed.
    bool endBatch();
    bool inBatch() const { return m_batchDepth > 0; }

    // ---- the registry API
    LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM access, HKEY* result);
    LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& className,
                        DWORD options, REGSAM access, const void* security, HKEY* result, DWORD* disposition);
    LONG RegCloseKey(HKEY key);
    LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* reserved, DWORD* type, std::uint8_t* data,
                         DWORD* dataSize);
    LONG RegSetValueEx(HKEY key, const QString& valueName, DWORD reserved, DWORD type, const std::uint8_t* data,
                       DWORD dataSize);
    LONG RegDeleteValue(HKEY key, const QString& valueName);
    LONG RegDeleteKey(HKEY key, const QString& subKey);
    LONG RegDeleteTree(HKEY key, const QString& subKey);
    LONG RegEnumKeyEx(HKEY key, DWORD index, QString* name, DWORD* nameChars, DWORD* reserved, QString* className,
                      DWORD* classChars, std::int64_t* lastWriteTime);
    LONG RegEnumValue(HKEY key, DWORD index, QString* valueName, DWORD* valueNameChars, DWORD* reserved,
                      DWORD* type, std::uint8_t* data, DWORD* dataSize);
    LONG RegQueryInfoKey(HKEY key, QString* className, DWORD* classChars, DWORD* reserved, DWORD* subKeys,
                         DWORD* maxSubKeyChars, DWORD* maxClassChars, DWORD* values, DWORD* maxValueNameChars,
                         DWORD* maxValueBytes, DWORD* securityDescriptorBytes, std::int64_t* lastWriteTime);

    // Number of handles currently open (tests check that operations close what they open).
    std::size_t openHandleCount() const { return m_handles.size(); }

    // ---- the registry the free functions of RegistryApi.h work on: the run context's
    static Registry* current();
    static void setCurrent(Registry* registry);

private:
    struct Mount {
        std::shared_ptr<Hive> hive;
        bool readOnly = false;
    };
    struct OpenKey {
        RegKey::Ptr key;
        std::shared_ptr<Hive> hive;
        REGSAM access = 0;
    };

    // Resolves a handle that must carry one of `rights` (none when 0).
    LONG resolveHandle(HKEY key, REGSAM rights, OpenKey& out) const;
    // As resolveHandle, and the hive must be writable when the call `changes` it.
    LONG resolveFor(HKEY key, REGSAM rights, bool changes, OpenKey& out) const;
    LONG walk(const OpenKey& from, const QString& subKey, RegKey::Ptr& found, QStringList* missing) const;
    HKEY newHandle(OpenKey entry);
    bool writable(const OpenKey& entry) const;
    void changed(Hive& hive);
    bool commitIfIdle();

    Mount m_machine;
    Mount m_user;
    mutable RegKey::Ptr m_classes; // HKEY_CLASSES_ROOT in the machine hive
    std::unordered_map<HKEY, OpenKey> m_handles;
    HKEY m_nextHandle = 0x100;
    int m_batchDepth = 0;
    bool m_pendingCommit = false;
    CommitHandler m_commit;
    Clock m_clock;
};
