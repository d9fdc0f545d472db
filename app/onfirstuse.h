// SPDX-License-Identifier: MIT
// OnFirstUse<T>: a window made the first time something uses it. Reaching it
// through ->, get() or a T* builds it with the maker it was given; built()
// answers without building, for code that must only touch a window that
// exists. A plain pointer assigned to it (tests) is used as it is and never
// owned; the owner ends a built window with take().
#pragma once

#include <functional>
#include <utility>

template<class T>
class OnFirstUse {
public:
    using Maker = std::function<T *()>;

    OnFirstUse() = default;
    OnFirstUse(T *object) : m_object(object) {}
    OnFirstUse &operator=(T *object)
    {
        m_object = object;
        return *this;
    }

    void setMaker(Maker make) { m_make = std::move(make); }

    T *get() const
    {
        if (!m_object && m_make) {
            // The maker runs once; a window that reaches itself while being
            // made finds no maker and gets nothing.
            Maker make = std::move(m_make);
            m_make = nullptr;
            m_object = make();
        }
        return m_object;
    }
    T *operator->() const { return get(); }
    operator T *() const { return get(); }
    // Whether there is, or can be, a window: asks without building it.
    explicit operator bool() const { return m_object || m_make; }
    T *built() const { return m_object; }

    // The window, if built, for its owner to delete; nothing is made after.
    T *take()
    {
        T *object = m_object;
        m_object = nullptr;
        m_make = nullptr;
        return object;
    }

private:
    mutable T *m_object = nullptr;
    mutable Maker m_make;
};
