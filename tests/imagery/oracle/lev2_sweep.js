// Prints one sweep of a radar volume as an independent npm decoder reads it: per radial its
// azimuth and the moment's values ("nan" where it has none).
//   node lev2_sweep.js FILE ELEVATION_NUMBER ref|vel|sw|zdr|phi|rho
const { Level2Radar } = require('nexrad-level-2-data');
const fs = require('fs');
const [file, elevation, moment] = process.argv.slice(2);
const radar = new Level2Radar(fs.readFileSync(file));
radar.setElevation(Number(elevation));
const get = {
  ref: () => radar.getHighresReflectivity(), vel: () => radar.getHighresVelocity(),
  sw: () => radar.getHighresSpectrum(), zdr: () => radar.getHighresDiffReflectivity(),
  phi: () => radar.getHighresDiffPhase(), rho: () => radar.getHighresCorrelationCoefficient(),
}[moment];
const data = get();
const azimuths = radar.getAzimuth();
const out = [];
data.forEach((d, i) => {
  const values = d ? d.moment_data.map((v) => (v === null ? 'nan' : String(v))) : [];
  out.push(azimuths[i] + ' ' + values.join(' '));
});
process.stdout.write(out.join('\n') + '\n');
