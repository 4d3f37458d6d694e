#pragma once
// Ownership of the replies xcb allocates: a holder frees its reply with free() when it goes.
// Any thread may use it; it holds nothing but the reply.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};

// A reply of type T (xcb_*_reply_t), freed with its holder.
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// Waits on `conn` (open, not null) for the reply to `cookie` through `replyFn`, the matching
// xcb_*_reply function, and owns it; an empty holder when the request failed (the error is freed).
template <typename ReplyFn, typename Cookie>
auto xcbReply(xcb_connection_t* conn, ReplyFn replyFn, Cookie cookie)
{
    using Reply = std::remove_pointer_t<decltype(replyFn(conn, cookie, nullptr))>;
    return XcbReply<Reply>(replyFn(conn, cookie, nullptr));
}
