// TAV_IO_ListenerList: the listener list of an input dispatcher (keyboard, mouse).
//
// Holds listener addresses, newest first; it does not own the listeners. Dispatch calls them
// from the newest to the oldest, and handlers may add or remove listeners (themselves
// included) while it runs, without disturbing the walk:
//   - a listener removed during a dispatch is not called from then on, also by that dispatch
//     if its turn had not come yet; its entry is only blanked, and erased once the outermost
//     dispatch has finished;
//   - a listener added during a dispatch goes to the front, behind the walk, so it is first
//     called for the next event.
// Nothing is allocated while dispatching, apart from the node of a listener added then.
// Main thread only.
#pragma once

#include <algorithm>  // Required for: std::find(), std::count()
#include <list>       // Required for: the entries; inserting keeps the walk's iterator valid

template <class Listener>
class TAV_IO_ListenerList {
public:
    TAV_IO_ListenerList() = default;
    TAV_IO_ListenerList(const TAV_IO_ListenerList&) = delete;
    TAV_IO_ListenerList& operator=(const TAV_IO_ListenerList&) = delete;

    // Adds at the front. The same listener may be added twice and is then called twice.
    void add(Listener& listener) { entries.push_front(&listener); }

    // Removes the most recently added entry of `listener`; nothing when it was never added.
    void remove(Listener& listener)
    {
        auto it = std::find(entries.begin(), entries.end(), &listener);
        if (it == entries.end())
            return;
        if (dispatchDepth > 0)
            *it = nullptr;  // a walk may stand on this entry: blank it, erase it later
        else
            entries.erase(it);
    }

    // Calls `call(listener)` for every listener, newest first.
    template <class Call>
    void dispatch(Call call)
    {
        DispatchScope scope(*this);
        for (Listener* listener : entries) {
            if (listener)
                call(*listener);
        }
    }

    // The number of listeners registered (entries blanked during a dispatch not counted).
    int size() const { return int(entries.size() - std::count(entries.begin(), entries.end(), nullptr)); }

private:
    // Marks a running dispatch; the outermost one erases the blanked entries when it ends,
    // also when a handler throws.
    struct DispatchScope {
        explicit DispatchScope(TAV_IO_ListenerList& list) : list(list) { ++list.dispatchDepth; }
        ~DispatchScope()
        {
            if (--list.dispatchDepth == 0)
                list.entries.remove(nullptr);
        }
        TAV_IO_ListenerList& list;
    };

    std::list<Listener*> entries;
    int dispatchDepth = 0;  // > 0 while a dispatch runs (handlers may dispatch again)
};
