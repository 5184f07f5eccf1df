// Conversions between the weather and cloud encodings of surface reports: METAR weather
// strings ("!" and groups joined by "_"), the older SA tokens, WMO present-weather codes, plain
// words, WMO visibility and cloud-base codes, compass points and cloud summaries. The weather
// tables come from the database file "wx.lup".
#pragma once

namespace KOL {

class CloudLayer;
class String;

class WxTool {
 public:
  // The METAR form of one SA weather token; 0 (out untouched) when the token is unknown.
  static int getWeather(const char* sa, String& out);
  // The SA text of a stored weather string (METAR, SA or WMO code form).
  static int getSAWeather(const char* wx, String& out);
  // Plain words for a stored weather string, groups separated by ", ".
  static int getTextFromWeather(const char* wx, String& out);
  static int getTextFromSAWeather(const char* wx, String& out);
  // The WMO present-weather code of a stored weather string; 0 when none fits.
  static int getWmoFromWeather(const char* wx);
  static int getWmoFromSAWeather(const char* wx);
  // The METAR abbreviation of a WMO present-weather code (manned and automatic station tables);
  // a single blank for codes without one.
  static const char* getWmoWeather(int code);
  static const char* getWmoAutoWeather(int code);

  // Statute miles of the WMO visibility code VV; missing for codes without a value.
  static float getWmoVis(int code);
  // Feet of the WMO cloud-base code h; missing outside 0 to 9.
  static float getWmoCldBase(int h);
  // The WMO cloud-base code h of a height in feet.
  static int getWmoCeilingToCode(float feet);
  // Degrees of a 16-point compass direction ("N", "NNE", ...); missing otherwise.
  static float decodeDir(const char* text);
  // "broken", "clear", "few", "overcast", "scattered" or "obscured" for B, C, F, O, S, X.
  static const char* getCloudStr(char cover);
  // The summary layer of a set of layers: the summary cover and the ceiling height.
  static int setCloud(int count, const CloudLayer* layers, CloudLayer& out);
};

}  // namespace KOL
