// The drawing surface of the plot layers: one Graph and its device, panels each with a map
// domain, drawing in earth, grid and plot coordinates (lines across the dateline are wrapped and
// cropped), named colours and attribute texts, plot labels with date codes, colour bars, a logo,
// and saving the finished picture as PNG or GIF. It receives the device's events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Range.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/Enhance.h"
#include "graphics/Graph.h"
#include "graphics/Listener.h"
#include "graphics/Panel.h"
#include "graphics/PlotAttr.h"

namespace KOL {

class Image;
class String;

class Plot : public Listener {
 public:
  static constexpr int MAX_LABELS = 30;
  static constexpr int LABEL_POS_SIZE = 10;
  static constexpr int LABEL_SIZE = 100;
  static constexpr int TITLE_SIZE = 80;
  static constexpr int PANEL_TEXT_SIZE = 50;
  static constexpr int TRANS_COLOR_SIZE = 20;
  static constexpr int MAX_DRAW = 32;
  // Transformations of the graph: the page and the current map panel.
  static constexpr int PAGE = 0;
  static constexpr int MAP = 1;

  Plot();
  ~Plot() override;
  Plot(const Plot&) = delete;
  Plot& operator=(const Plot&) = delete;

  void init();
  // Chooses and opens the device (resource "device" or "de="), reads the colour tables and
  // sets up the panels. false when the device cannot be opened.
  bool open(const char* params);
  // The same with a device made by the caller (a device of a program's own, or a test's).
  bool open(std::unique_ptr<Device> dev, const char* params);
  bool isOpen() const { return graph.isOpen(); }
  int close();
  int setParam(const char* params);
  // The graph type a device text names ('w' display, 'p' postscript, 'h' hpgl, 'm' meta,
  // 'i' the off-screen image device, anything else display).
  static const char* deviceType(const char* text);

  // Geometry and panels.
  // "%fx%f%[-+]%f%[-+]%f" 2, "%fx%f" 1, "%[-+]%f%[-+]%f" 3, otherwise 0.
  static int decodeGeometryStr(const char* text, GeomBox& box);
  // "cols x rows + i + j" in a grid of panels, or fractions of r; 1 when 2 or 4 numbers.
  static int decodePanelStr(const Rect& r, const char* text, GeomBox& box);
  void initPanel();
  int setPanel(const Rect& r, float aspect, int h, int v);
  int setPanel(const Rect& r, float aspect) { return setPanel(r, aspect, 2, 2); }
  int setPanel(const Rect& r) { return setPanel(r, 0.0f, 2, 2); }
  int setPanel(const Rect& r, const Domain& d);
  int setPanel(const Domain& d);
  // Makes panel i current (it must exist); its viewport and window become transformation 1's.
  int setPanel(int i);
  // A panel text ("2x2+1+0") placed on the whole page, with the current panel's domain.
  int newPanel(const char* text);
  int getPanel() const { return current; }
  int getNumPanels() const { return static_cast<int>(panels.size()); }
  int setPanelDomain(int i, const Domain& d);
  int getPanelDomain(int i, Domain& d) const;
  const Panel& getPanelRecord(int i) const { return panels[clampPanel(i)]; }

  // The current panel's domain.
  int setDomain(const Domain& d);
  int setDomain(const char* text);
  int setDomain(const DomainVal& v);
  int getDomain(Domain& d) const;
  Domain& getDomain() { return panels[current].getDomain(); }
  const Domain& getDomain() const { return panels[current].getDomain(); }
  int getDomainVal(DomainVal& v) const;
  int getProj() const { return getDomain().proj; }
  float getPLat() const { return getDomain().param[0]; }
  float getPLon() const { return getDomain().param[1]; }
  float getDomAspect() const;
  float getDomCLat() const { return getDomain().clat; }
  float getDomCLon() const { return getDomain().clon; }
  int getDomNx() const { return getDomain().nx; }
  int getDomNy() const { return getDomain().ny; }
  float getDomDx() const { return getDomain().dx; }
  float getDomDy() const { return getDomain().dy; }
  float getVert() const { return getDomain().getVert(); }
  float getDomVert() const { return getVert(); }
  bool withinDomain(const Point& p) const { return getDomain().within(p); }
  bool withinDomain(const EarthPoint& e) const { return getDomain().within(e); }
  bool withinDomainExt(const Point& p, int n) const { return getDomain().withinExt(p, n); }
  bool withinDomainExt(const EarthPoint& e, int n) const { return getDomain().withinExt(e, n); }
  int whereDomain(const Point& p) const { return getDomain().where(p); }
  int whereDomain(const EarthPoint& e) const { return getDomain().where(e); }
  // The domain of what the map window shows now.
  int getViewDomain(Domain& d) const;
  // A device point to plot coordinates of the current panel.
  int tranPlotWindow(const Point& device, Point& out);
  // Plot coordinates of the current panel to device coordinates.
  Point toDevice(const Point& p);

  // Drawing; each returns 0 and draws nothing when its colour index is negative (not missing).
  int drawLine(const Point& a, const Point& b);
  int drawLine(const EarthPoint& a, const EarthPoint& b);
  int drawLine(const GridPoint& a, const GridPoint& b);
  int drawLine(const Points& pts);
  int drawLine(const EarthPoints& pts);
  int drawSpline(const Points& pts);
  int drawSpline(const EarthPoints& pts);
  int drawRect(const Rect& r);
  int drawCircle(const Point& p, float r);
  int drawCircle(const EarthPoint& e, float r);
  int drawFill(const Points& pts);
  int drawFill(const Rect& r);
  // An area of several closed rings (outline and holes), ring r of counts[r] points in turn.
  int drawFillPath(const Points& pts, const std::vector<int>& counts);
  int drawFill(const EarthPoints& pts);
  int drawFillarea(const Points& pts) { return drawFill(pts); }
  int drawText(const Point& p, const char* text);
  int drawText(float x, float y, const char* text) { return drawText(Point(x, y), text); }
  int drawText(const EarthPoint& e, const char* text);
  int drawText(const GridPoint& g, const char* text);
  int drawFormText(const Point& p, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int drawFormText(const EarthPoint& e, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int drawMark(float x, float y) { return drawMark(Point(x, y)); }
  int drawMark(const Point& p);
  int drawMark(const EarthPoint& e);
  int drawMark(const GridPoint& g);
  int drawSymbol(const Point& p, const char* name, float size);
  // An image placed by its domain over the current panel (its top-left pixel at the domain's
  // upper-left corner), or at the panel's upper left when it has no map domain.
  int drawImage(Image& img);
  int drawImage(Image& img, int flag);
  // A PNG file with its top-left pixel at page position (x, y); type is "png" or empty.
  int drawImage(const char* file, float x, float y);
  int drawImage(const char* file, float x, float y, const char* type);
  int drawBorder();
  // The default map of the current panel, drawn by the map layer when it is present.
  int drawMap(const char* params = nullptr);
  int message(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  // Attributes. Names go through the colour map; "off" and "none" suppress drawing.
  int setLineColor(const char* name);
  int setLineColor(int c);
  int setLineWidth(float w);
  int setLineStyle(int s);
  int setLine();
  int setLine(const PlotAttr& a);
  int setLine(const char* text);
  int setFillColor(const char* name);
  int setFillColor(int c);
  int setFillStyle(int s);
  int setFill();
  int setFill(const PlotAttr& a);
  int setFill(const char* text);
  int setTextColor(const char* name);
  int setTextColor(int c);
  int setTextAlign(int h, int v);
  int setTextHeight(float h);
  int setTextWeight(float w);
  int setTextExpansion(float e);
  int setTextSpacing(float s);
  int setTextCharWidth(float w);
  int setTextDirection(float dx, float dy);
  int setFont(const char* name);
  int setText();
  int setText(const PlotAttr& a, float scale = 1.0f);
  int setText(const char* text);
  int setMarkColor(const char* name);
  int setMarkColor(int c);
  int setMarkType(int t);
  int setMarkType(const char* name);
  int setMarkWeight(float w);
  int setMarkSize(float s);
  int setMark();
  int setMark(const PlotAttr& a, float scale = 1.0f);
  int setMark(const char* text);
  // The attributes setLine() ... setMark() restore.
  void setDefaults(const char* line, const char* fill, const char* text, const char* mark);
  int getLineColor() const { return line_color; }
  int getFillColor() const { return fill_color; }
  int getTextColor() const { return text_color; }
  int getMarkColor() const { return mark_color; }
  ColorMap& getColorMap() { return graph.getColorMap(); }
  void setColorMap(const ColorMap& map) { graph.setColorMap(map); }
  // The colour index of a name (a colour-map name, "#rrggbb", a number); -1 for "off"/"none".
  int getColorValue(const char* name);
  int getColorRGB(int i, float& r, float& g, float& b) const;
  int allocColor(int i);

  // Labels.
  void setLabelColor(const char* name);
  void setLabelFormat(const char* format);
  // Appends a label on the current label line; 0 beyond MAX_LABELS.
  int addLabel(const char* pos, const char* text);
  // Replaces the label at pos (or adds one); drawn in the label colour of the time of drawing.
  int setLabel(const char* pos, const char* text);
  // Nonzero when an earlier label line holds text at pos (fields of one time drawn together
  // then show their date once).
  bool hasEarlierLabel(const char* pos, const char* text) const;
  void printLabels() const;
  void clearLabels();
  // Keeps the first n labels and the label line they ended on (a loop's frames start from the
  // labels the plot had before the loop).
  void keepLabels(int n, int line);
  int getLabelLine() const { return label_line; }
  int getNumLabels() const { return static_cast<int>(labels.size()); }
  // "ul" 0, "uc" 1, "ur" 2, "ll" 3, "lc" 4, "lr" 5, anything else 0.
  static int getLabelPosIndex(const char* pos);
  int formatLabel(const char* format, char* out, int size) const;
  int drawLabels();
  void setDataSource(const char* text);
  const char* getDataSource() const { return data_source.c_str(); }
  void setDate(const Date& d) { date = d; }
  const Date& getDate() const { return date; }
  void setForeHour(float h) { fore_hour = h; }
  float getForeHour() const { return fore_hour; }
  void setTimezone(const char* text) { timezone.set(text); }

  // Colour bars: 0 bottom, 1 top, 2 right, 3 left of the panel.
  void setBarLocate(int where) { bar_locate = where; }
  void setBarRange(const Range& r) { bar_range = r; }
  void setBar(const ColorFill& fill, const Range& r);
  void setBar(const ColorFill& fill);
  void setBar(const Enhance& e);
  void clearBar() { bar_type = 0; }
  // The units written at the bar's end; empty for none.
  void setBarUnits(const char* units) { bar_units = units ? units : ""; }
  // Room for a colour bar beside every panel from now on (the bar itself is drawn later, with
  // the labels): the current panel is laid out again, smaller, so call it before drawing into it.
  void reserveBar();
  bool hasBarRoom() const { return bar_room; }
  int drawBar();
  int drawBar(const Range& r);
  int drawEnhBar();

  // Frames and output.
  int clear();
  int clearFrame();
  int newFrame();
  int deleteFrame(int n);
  int deleteAllFrames();
  int getFrame() { return graph.getFrame(); }
  int getNumFrames() { return graph.getNumFrames(); }
  int setFrame(int n) { return graph.setFrame(n); }
  void setFull(int f) { full = f; }
  int getFull() const { return full; }
  void setBorder(bool on) { border = on; }
  int setCursor(int n) { return graph.setCursor(n); }
  int update() { return graph.update(); }
  // The event loop, or, with image output, the picture saved as the resource "output" says.
  int manage();
  // Border and labels, then manage().
  int end();
  // Starts the next label line.
  int done();
  int getImage(Image& img);
  // Type from the name's last three characters ("gif" or "png").
  int saveImage(const char* file);
  // type "GIF" or "PNG" (any case).
  int saveImage(const char* file, const char* type);
  bool isImageOutput() const { return image_output; }
  void setLogo(const char* text);
  // Which kinds of drawing are wanted: numbers separated by commas; empty or "all" wants all.
  void setDrawing(const char* text);
  bool isDrawing(int i) const;
  void printDrawing() const;
  int addCallback(const char* event, Listener* l, const void* client);
  Graph& getGraph() { return graph; }
  Device* getDevice() { return graph.getDeviceObject(); }
  const char* getTitle() const { return title; }

  int callback(const char* event, const char* data, const void* client) override;

 private:
  struct Label {
    int color;
    int line;
    char pos[LABEL_POS_SIZE];
    char text[LABEL_SIZE];
    char format[LABEL_SIZE];
  };

  // Projection codes of diagrams (log-pressure, hodograph, thermodynamic), not maps.
  static constexpr int FIRST_DIAGRAM = 24, LAST_DIAGRAM = 44;
  static float panelAspect(const Domain& d);
  int clampPanel(int i) const { return i < 0 || i >= getNumPanels() ? 0 : i; }
  int applyPanel(Panel& p, int h, int v);
  int chooseDevice(const char* params);
  void applyGeometry(const char* params);
  void readColorTables(const char* params);
  void setTitleFrom(const char* params);
  bool suppressed(int c) const { return c < 0 && c != Const::MISS; }
  // Draws a polyline in map coordinates: wrapped, cropped, split at missing points.
  int drawMapLine(Points pts);
  int drawPieces(const Points& pts);
  int drawMapSegment(Point a, Point b);
  int toMap(const EarthPoints& in, Points& out) const;
  int toMap(const GridPoint& g, Point& p) const;
  bool openWith(std::unique_ptr<Device> dev, const char* params);
  int resolveColor(const char* name);
  int labelColor(const char* key);
  void placeLabels(const std::vector<Label>& all);
  Rect barBox(const Rect& vp) const;
  void labelsFromResources(std::vector<Label>& all) const;
  int drawLogo();
  int saveFrames(const char* key);
  int reportPoint(const char* data);
  int saveOutputResource();

  Graph graph;
  std::vector<Panel> panels;
  int current;
  int line_color, fill_color, text_color, mark_color;
  PlotAttr def_line, def_fill, def_text, def_mark;
  std::vector<Label> labels;
  int label_line;
  int label_color;
  char label_format[LABEL_SIZE];
  std::string data_source;
  Date date;
  float fore_hour;
  Timezone timezone;
  char title[TITLE_SIZE];
  std::string logo;
  char panel_text[PANEL_TEXT_SIZE];
  char trans_color[TRANS_COLOR_SIZE];
  int full;
  bool image_output;
  bool border;
  bool opened;
  int bar_type;  // 0 none, 1 colour fill, 2 enhancement
  int bar_locate;
  float bar_height;
  bool bar_room;
  float labels_below;  // page height the labels under the panel take (set as they are placed)
  std::string bar_units;
  ColorFill bar_fill;
  Range bar_range;
  Enhance bar_enhance;
  bool draw_flags[MAX_DRAW];
};

}  // namespace KOL
