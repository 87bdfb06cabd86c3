#pragma once

#include <memory>
#include <typeindex>
#include <vector>

class PrefixStore;
class Registry;

// What one run of the program shares across the process: the registry it edits, and the state
// that the layers keep between calls (settings stores, the seams through which it waits on the
// user, icon and definition caches, the start-up flags). main() creates one after the application
// object and before any window, and every test case gets one of its own.
//
// A context is the current one from its construction to its end, which makes the one before it
// current again and destroys its state, newest first: no cached pixmap, and nothing else the
// context holds, outlives the application object or leaks into the next test.
class RunContext {
public:
    RunContext();
    ~RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    // The context of this run; a program or test that has none has a fault, which is fatal.
    static RunContext& current();
    // Whether there is one (objects that outlive every context ask before they use it).
    static bool exists();

    // The registry the free functions of RegistryApi.h work on; null when there is none.
    Registry* registry() const { return m_registry; }
    void setRegistry(Registry* registry) { m_registry = registry; }

    // The prefix whose registry is edited, owned by the context; its registry becomes current.
    void setPrefix(std::unique_ptr<PrefixStore> prefix);
    PrefixStore* prefix() const { return m_prefix.get(); }

    // The state of type T that a layer keeps for this run, made on first use.
    template <typename T>
    T& state()
    {
        const std::type_index type(typeid(T));
        for (const Slot& slot : m_state)
            if (slot.type == type)
                return *static_cast<T*>(slot.value.get());
        m_state.push_back(Slot{type, std::make_shared<T>()});
        return *static_cast<T*>(m_state.back().value.get());
    }

private:
    struct Slot {
        std::type_index type;
        std::shared_ptr<void> value;
    };

    RunContext* m_previous;
    Registry* m_registry = nullptr;
    std::unique_ptr<PrefixStore> m_prefix;
    std::vector<Slot> m_state;
};
