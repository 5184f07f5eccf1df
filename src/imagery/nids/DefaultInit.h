// An allocator whose value-less construct leaves the element uninitialised, so a vector can be
// sized without writing every element when the caller writes them all anyway.
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace KOL::nids {

template <typename T>
class DefaultInit : public std::allocator<T> {
  using Base = std::allocator<T>;

 public:
  template <typename U>
  struct rebind {
    using other = DefaultInit<U>;
  };

  DefaultInit() = default;
  template <typename U>
  DefaultInit(const DefaultInit<U>&) noexcept
  {
  }

  template <typename U>
  void construct(U* p) noexcept
  {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args)
  {
    std::allocator_traits<Base>::construct(static_cast<Base&>(*this), p,
                                           std::forward<Args>(args)...);
  }
};

}  // namespace KOL::nids
