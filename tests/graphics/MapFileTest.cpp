// Map files: the own format in text and binary reading back what was written, format detection,
// the companion name file, KML and shapefile outlines, and damaged files (more of them in
// fuzz/corpus/map_files).
#include <gtest/gtest.h>
#include <shapefil.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "graphics/MapFile.h"
#include "graphics/MapKolFile.h"

using namespace KOL;

namespace {

struct Segment {
  int id;
  std::vector<EarthPoint> pts;
};

// Segments of 1, 3, 5 (a line break after the fourth point) and 70000 points (a count beyond
// one 16-bit value), at four-decimal positions so that the text form holds them exactly.
std::vector<Segment> sampleSegments()
{
  std::vector<Segment> segs = {{7, {{51.5f, -0.1275f}}},
                               {8, {{10.0f, -170.25f}, {-12.5f, 179.9999f}, {0.0001f, 0.0f}}},
                               {9, {}}};
  for (int i = 0; i < 5; ++i) segs[2].pts.emplace_back(-80.0f + i, 100.0f - i * 0.5f);
  Segment big{12345, {}};
  for (int i = 0; i < 70000; ++i)
    big.pts.emplace_back(std::round((i % 1800) * 0.1f * 1e4f) / 1e4f - 90.0f, -i % 360 + 0.5f);
  segs.push_back(big);
  return segs;
}

void writeMap(const std::string& path, int type, const std::vector<Segment>& segs)
{
  MapFile out;
  ASSERT_EQ(out.open(path.c_str(), MapKolFile::WRITE, type), 1);
  for (const Segment& s : segs) {
    EarthPoints pts;
    for (const EarthPoint& e : s.pts) pts.add(e);
    MapFileHeader h;
    h.setRange(pts);
    h.id = s.id;
    ASSERT_EQ(out.writeHeader(h), 1);
    for (const EarthPoint& e : s.pts) ASSERT_EQ(out.writeData(e), 1);
  }
}

std::vector<Segment> readMap(const std::string& path, std::vector<MapFileHeader>* headers = nullptr)
{
  std::vector<Segment> segs;
  MapFile in;
  if (!in.open(path.c_str())) return segs;
  MapFileHeader h;
  while (in.readHeader(h)) {
    Segment s{h.id, {}};
    EarthPoint e;
    while (in.readData(e)) s.pts.push_back(e);
    segs.push_back(s);
    if (headers) headers->push_back(h);
  }
  return segs;
}

std::string bytes(std::initializer_list<int> b)
{
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

std::string be16(int v) { return bytes({(v >> 8) & 255, v & 255}); }
std::string be32(uint32_t v)
{
  return bytes({int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)});
}
std::string beFloat(float f)
{
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return be32(u);
}
std::string binaryHeader(std::string count, float lat2, float lat1, float lon2, float lon1, int id)
{
  return count + beFloat(lat2) + beFloat(lat1) + beFloat(lon2) + beFloat(lon1) +
         be32(static_cast<uint32_t>(id));
}

class MapFileTest : public KOLTest::QuietTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(MapFileTest, TextAndBinaryFormsReadBackWhatWasWritten)
{
  const std::vector<Segment> segs = sampleSegments();
  for (int type : {MapFile::BINARY, MapFile::TEXT}) {
    SCOPED_TRACE(type);
    const std::string path = dir.file(type == MapFile::TEXT ? "t.map" : "b.map");
    writeMap(path, type, segs);
    EXPECT_EQ(MapFile::checkType(path.c_str()), type);
    std::vector<MapFileHeader> headers;
    const std::vector<Segment> back = readMap(path, &headers);
    ASSERT_EQ(back.size(), segs.size());
    for (size_t i = 0; i < segs.size(); ++i) {
      ASSERT_EQ(back[i].pts.size(), segs[i].pts.size()) << i;
      EXPECT_EQ(back[i].id, segs[i].id);
      EXPECT_EQ(headers[i].count, static_cast<int>(segs[i].pts.size()));
      for (size_t k = 0; k < segs[i].pts.size(); ++k) {
        EXPECT_NEAR(back[i].pts[k].lat, segs[i].pts[k].lat, 1e-4) << i << " " << k;
        EXPECT_NEAR(back[i].pts[k].lon, segs[i].pts[k].lon, 1e-4) << i << " " << k;
      }
    }
    EXPECT_FLOAT_EQ(headers[1].lat1, -12.5f);
    EXPECT_FLOAT_EQ(headers[1].lat2, 10.0f);
    EXPECT_FLOAT_EQ(headers[1].lon1, -170.25f);
    EXPECT_NEAR(headers[1].lon2, 179.9999f, 1e-4);
  }
  // the text form as written: header order north, south, east, west; four points a line
  const std::string text = KOLTest::readFile(dir.file("t.map"));
  EXPECT_EQ(text.substr(0, 70),
            "   1   51.5000   51.5000   -0.1275   -0.1275     7\n 51.5000   -0.1275\n");
}

TEST_F(MapFileTest, BinaryCountsContinueInFurtherParts)
{
  // 65535 then 4465: 70000 points
  std::string file = binaryHeader(be16(65535) + be16(4465), 1, 0, 1, 0, 3);
  for (int i = 0; i < 70000; ++i) file += beFloat(0.5f) + beFloat(0.25f);
  file += binaryHeader(be16(1), 2, 2, 3, 3, 4) + beFloat(2) + beFloat(3);
  KOLTest::writeFile(dir.file("big.map"), file);
  std::vector<MapFileHeader> h;
  const std::vector<Segment> segs = readMap(dir.file("big.map"), &h);
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ(h[0].count, 70000);
  EXPECT_EQ(segs[0].pts.size(), 70000u);
  EXPECT_EQ(h[1].id, 4);
  EXPECT_TRUE(h[1].isPoint());
}

TEST_F(MapFileTest, FormatIsToldFromTheFirstBytes)
{
  const struct {
    std::string head;
    int type;
  } cases[] = {
      {"  3  45.0 40.0 -70.0 -80.0 1\n", MapFile::TEXT},
      {"3 45.0 40.0 -70.0 -80.0\n45 -70\n", MapFile::BINARY},  // five numbers: not a text header
      {bytes({0, 0, 0x27, 0x0a, 0, 0}), MapFile::SHAPE},
      {"<?xml version=\"1.0\"?><kml/>", MapFile::KML},
      {"", MapFile::BINARY},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MapFile::checkType(c.head.data(), static_cast<int>(c.head.size())), c.type) << c.head;
}

// Damaged files of every format are replayed from fuzz/corpus/map_files.
TEST_F(MapFileTest, DamagedFilesKeepTheSegmentsBeforeTheFault)
{
  const std::string good =
      binaryHeader(be16(2), 1, 0, 1, 0, 1) + beFloat(0) + beFloat(0) + beFloat(1) + beFloat(1);
  KOLTest::writeFile(dir.file("bad.map"), good + binaryHeader(be16(60000), 1, 0, 1, 0, 2));
  EXPECT_EQ(readMap(dir.file("bad.map")).size(), 1u) << "the segment before a false count";
  // a cut segment stops reading: readData returns 0 and no further header reads
  KOLTest::writeFile(dir.file("cut.map"), "3 1 0 1 0 1\n0 0 1 1\n");
  MapKolFile in(dir.file("cut.map").c_str(), MapKolFile::READ, MapKolFile::DETECT);
  MapFileHeader h;
  EarthPoints pts;
  ASSERT_EQ(in.readHeader(h), 1);
  EXPECT_EQ(in.readData(pts), 0);
  EXPECT_EQ(pts.getNum(), 2);
  EXPECT_EQ(in.readHeader(h), 0);
  // write mode does not read
  MapKolFile out(dir.file("w.map").c_str(), MapKolFile::WRITE, MapKolFile::BINARY);
  EXPECT_EQ(out.readHeader(h), 0);
}

TEST_F(MapFileTest, KmlPlacemarksBecomeNamedSegments)
{
  KOLTest::writeFile(dir.file("a.kml"), R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Document><Folder>
 <Placemark><name>Route</name><LineString><coordinates>
   -100.5,40.25,0 -99,41 -98,42.5</coordinates></LineString></Placemark>
 <Placemark><name>Lake</name><Polygon><outerBoundaryIs><LinearRing><coordinates>1,2 3,4 5,6 1,2</coordinates>
   </LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>2,3 2.5,3.5 2,3</coordinates>
   </LinearRing></innerBoundaryIs></Polygon></Placemark>
 <Placemark><name>Town</name><Point><coordinates>10,50</coordinates></Point></Placemark>
 <Placemark><name>Broken</name><LineString><coordinates>a,b 7,8 200,95</coordinates></LineString></Placemark>
</Folder></Document></kml>)");
  std::vector<MapFileHeader> h;
  const std::vector<Segment> segs = readMap(dir.file("a.kml"), &h);
  ASSERT_EQ(segs.size(), 5u);
  EXPECT_STREQ(h[0].name, "Route");
  ASSERT_EQ(segs[0].pts.size(), 3u);
  EXPECT_FLOAT_EQ(segs[0].pts[0].lat, 40.25f);
  EXPECT_FLOAT_EQ(segs[0].pts[0].lon, -100.5f);
  EXPECT_FLOAT_EQ(h[0].lon1, -100.5f);
  EXPECT_FLOAT_EQ(h[0].lat2, 42.5f);
  EXPECT_STREQ(h[1].name, "Lake");  // outer and inner rings: two segments
  EXPECT_STREQ(h[2].name, "Lake");
  EXPECT_EQ(segs[2].pts.size(), 3u);
  EXPECT_TRUE(h[3].isPoint());
  EXPECT_STREQ(h[3].name, "Town");
  ASSERT_EQ(segs[4].pts.size(), 1u);  // the unreadable and impossible tuples are left out
  EXPECT_FLOAT_EQ(segs[4].pts[0].lat, 8.0f);

  KOLTest::writeFile(dir.file("bad.kml"), "<?xml version=\"1.0\"?>");
  MapFile in;
  EXPECT_EQ(in.open(dir.file("bad.kml").c_str()), 0) << "no kml element";
}

TEST_F(MapFileTest, ShapefileRecordsBecomeSegments)
{
  const std::string base = dir.file("roads");
  {
    SHPHandle shp = SHPCreate(base.c_str(), SHPT_ARC);
    DBFHandle dbf = DBFCreate(base.c_str());
    ASSERT_TRUE(shp && dbf);
    DBFAddField(dbf, "ID", FTInteger, 5, 0);
    DBFAddField(dbf, "NAME", FTString, 20, 0);
    const double x[] = {-100, -99, -98, 10, 11};
    const double y[] = {40, 41, 42, 50, 51};
    const int parts[] = {0, 3};
    SHPObject* obj = SHPCreateObject(SHPT_ARC, -1, 2, parts, nullptr, 5, x, y, nullptr, nullptr);
    SHPWriteObject(shp, -1, obj);
    SHPDestroyObject(obj);
    DBFWriteIntegerAttribute(dbf, 0, 0, 1);
    DBFWriteStringAttribute(dbf, 0, 1, "Main Road");
    SHPClose(shp);
    DBFClose(dbf);
  }
  std::vector<MapFileHeader> h;
  const std::vector<Segment> segs = readMap(base + ".shp", &h);
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ(segs[0].pts.size(), 3u);
  EXPECT_EQ(segs[1].pts.size(), 2u);
  EXPECT_STREQ(h[1].name, "Main Road");
  EXPECT_FLOAT_EQ(segs[1].pts[1].lat, 51.0f);
  EXPECT_FLOAT_EQ(segs[1].pts[1].lon, 11.0f);
}

// The companion file names the segments (an entry without a name leaves it unnamed); reading
// again after rewind gives the same segments and names, in every format.
TEST_F(MapFileTest, RewindReadsTheSameAgain)
{
  KOLTest::writeFile(dir.file("r.map"), "2 1 0 1 0 1\n0 0 1 1\n1 5 5 5 5 2\n5 5\n");
  KOLTest::writeFile(dir.file("r.mdb"), "id kind name\n1 city First\n2 town\n");
  KOLTest::writeFile(dir.file("r.kml"),
                     "<?xml version=\"1.0\"?><kml><Placemark><name>K</name>"
                     "<LineString><coordinates>1,2 3,4</coordinates></LineString>"
                     "</Placemark></kml>");
  for (const char* name : {"r.map", "r.kml"}) {
    SCOPED_TRACE(name);
    MapFile in(dir.file(name).c_str(), MapKolFile::READ, MapFile::DETECT);
    std::vector<std::string> first, second;
    MapFileHeader h;
    EarthPoint e;
    while (in.readHeader(h)) first.push_back(h.name);
    ASSERT_EQ(in.rewind(), 1);
    while (in.readHeader(h)) {
      second.push_back(h.name);
      EXPECT_EQ(in.readData(e), 1);  // the points are there after skipping them the first time
    }
    EXPECT_EQ(first, second);
    const std::vector<std::string> names = std::string(name) == "r.kml"
                                               ? std::vector<std::string>{"K"}
                                               : std::vector<std::string>{"First", ""};
    EXPECT_EQ(first, names);
  }
}

}  // namespace
