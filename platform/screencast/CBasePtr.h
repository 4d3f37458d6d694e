#pragma once
// Engine objects and their single owning handle.
//
// Every object the engine hands out derives from CBaseObject and has exactly one
// holder, a CBasePtr. Replacing or destroying the holder calls Release(), which stops
// the object and frees it synchronously: its threads are joined and none of its
// callbacks runs after Release() returns.

#include <utility>

class CBaseObject {
public:
    // Stops the object and frees it. Called by the holder only.
    virtual void Release() = 0;

protected:
    virtual ~CBaseObject() = default;
};

template <class T>
class CBasePtr {
public:
    CBasePtr() = default;
    explicit CBasePtr(T* object) : m_object(object) {}
    ~CBasePtr() { reset(); }

    CBasePtr(const CBasePtr&) = delete;
    CBasePtr& operator=(const CBasePtr&) = delete;
    CBasePtr(CBasePtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    CBasePtr& operator=(CBasePtr&& other) noexcept
    {
        if (this != &other)
            reset(other.detach());
        return *this;
    }

    // Releases the held object (if any) and holds `object` instead.
    void reset(T* object = nullptr)
    {
        T* old = m_object;
        m_object = object;
        if (old)
            old->Release();
    }
    // Gives up ownership without releasing.
    T* detach()
    {
        T* object = m_object;
        m_object = nullptr;
        return object;
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool isNull() const { return m_object == nullptr; }

private:
    T* m_object = nullptr;
};
