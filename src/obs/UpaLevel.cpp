#include "obs/UpaLevel.h"

#include <cmath>
#include <cstdio>

namespace KOL {

namespace {

constexpr float STANDARD[UpaLevel::NUM_MANDATORY] = {
    1000, 925, 850, 700, 500, 400, 300, 250, 200, 150, 100, 70, 50, 30, 20, 10, 7, 5, 3, 2, 1};

void fill(float& v, float other)
{
  if (v == Const::FMISS) v = other;
}

}  // namespace

void UpaLevel::init()
{
  type = 0;
  pres = hght = temp = dewp = dir = spd = Const::FMISS;
  elapsed = dlat = dlon = Const::FMISS;
}

void UpaLevel::update(const UpaLevel& other)
{
  if (type == 0) type = other.type;
  fill(pres, other.pres);
  fill(hght, other.hght);
  fill(temp, other.temp);
  fill(dewp, other.dewp);
  fill(dir, other.dir);
  fill(spd, other.spd);
  fill(elapsed, other.elapsed);
  fill(dlat, other.dlat);
  fill(dlon, other.dlon);
}

bool UpaLevel::operator==(const UpaLevel& o) const
{
  return type == o.type && pres == o.pres && hght == o.hght && temp == o.temp && dewp == o.dewp &&
         dir == o.dir && spd == o.spd && elapsed == o.elapsed && dlat == o.dlat && dlon == o.dlon;
}

int UpaLevel::getMandatoryIndex(float p)
{
  for (int i = 0; i < NUM_MANDATORY; ++i)
    if (std::fabs(p - STANDARD[i]) < 0.01f) return i;
  return -1;
}

float UpaLevel::getMandatoryPres(int index)
{
  return index >= 0 && index < NUM_MANDATORY ? STANDARD[index] : Const::FMISS;
}

void UpaLevel::print() const
{
  std::printf("P:%6.1f H:%7.0f T:%7.1f Td:%7.1f Dir:%6.0f Spd:%6.0f\n", pres, hght, temp, dewp, dir,
              spd);
}

}  // namespace KOL
