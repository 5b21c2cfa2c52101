// A lease on a shared object of the resource cache (file bytes, a picture, a
// document or an element): the owner hands it back with the cache's release
// when it ends, on every path. Fill one through receive():
//   ResourceLease<XmlNode> element;
//   cache.getLocalizedElement(u"Menu", name, element.receive());
#pragma once

#include "VornLib/core/UniqueHandle.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {

template <typename Item> struct ResourceLeaseTraits {
    using Handle = const Item*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle item) { (void)ResourceCache::Instance().release(item); }
};

template <typename Item> using ResourceLease = UniqueHandle<ResourceLeaseTraits<Item>>;

} // namespace vorn
