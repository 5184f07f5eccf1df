#include "obs/wmo/RouteCache.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace KOL::wmo {

int Route::addName(const char* name)
{
  int at = static_cast<int>(text_.size());
  text_.append(name ? name : "");
  text_ += '\0';
  return at;
}

Route& RouteCache::find(const char* heading, const char* awips, bool& known)
{
  key_.assign(heading ? heading : "");
  key_ += '\0';
  key_.append(awips ? awips : "");
  key_ += '\0';
  uint64_t hash = std::hash<std::string_view>()(key_);
  size_t mask = slots_.size() - 1;
  for (size_t i = slots_.empty() ? 0 : hash & mask; !slots_.empty(); i = (i + 1) & mask) {
    Route* r = slots_[i].route;
    if (!r) break;
    if (slots_[i].hash == hash && r->key_size_ == key_.size() &&
        std::memcmp(r->text_.data(), key_.data(), key_.size()) == 0) {
      known = true;
      r->used_ = ++clock_;
      return *r;
    }
  }
  known = false;
  if (routes_.size() >= MAX_ROUTES) keepRecent(MAX_ROUTES / 2);
  auto r = std::make_unique<Route>();
  r->hash_ = hash;
  r->key_size_ = key_.size();
  r->text_ = key_;
  r->used_ = ++clock_;
  routes_.push_back(std::move(r));
  if (2 * routes_.size() > slots_.size())
    rebuild();
  else
    place(routes_.back().get());
  return *routes_.back();
}

void RouteCache::place(Route* r)
{
  size_t mask = slots_.size() - 1;
  size_t i = r->hash_ & mask;
  while (slots_[i].route) i = (i + 1) & mask;
  slots_[i] = {r->hash_, r};
}

void RouteCache::rebuild()
{
  size_t n = 64;
  while (n < 2 * routes_.size()) n *= 2;
  slots_.assign(n, Slot());
  for (const auto& r : routes_) place(r.get());
}

void RouteCache::clear()
{
  routes_.clear();
  slots_.clear();
  swept_ = clock_;
}

// The n routes used last stay.
void RouteCache::keepRecent(size_t n)
{
  if (routes_.size() <= n) return;
  std::nth_element(routes_.begin(), routes_.begin() + n, routes_.end(),
                   [](const auto& a, const auto& b) { return a->used_ > b->used_; });
  routes_.resize(n);
  rebuild();
}

void RouteCache::sweep()
{
  size_t kept = 0;
  for (auto& r : routes_)
    if (r->used_ > swept_) routes_[kept++] = std::move(r);
  routes_.resize(kept);
  swept_ = clock_;
  rebuild();
}

}  // namespace KOL::wmo
