#pragma once

class Registry;

// Groups the registry changes of one user-level operation into one save: the changes are saved
// when the outermost batch ends.
class RegistryBatch {
public:
    // Works on Registry::current() when no registry is given.
    explicit RegistryBatch(Registry* registry = nullptr);
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Ends the batch now; returns false when saving failed. Ending twice does nothing.
    bool commit();

private:
    Registry* m_registry;
    bool m_open = true;
};
