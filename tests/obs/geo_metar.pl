#!/usr/bin/perl
# Decodes METAR reports, one per input line, with Geo::METAR and writes one tab-separated line
# per report: station, temperature, dew point, precise temperature, precise dew point, wind
# direction, speed and gust in knots, visibility text, altimeter in inches, sea-level pressure
# digits. Undecoded values are empty.
use strict;
use warnings;
no warnings 'uninitialized';
use Geo::METAR;

local $SIG{__WARN__} = sub { };
while (my $line = <STDIN>) {
    chomp $line;
    my $m = Geo::METAR->new;
    eval { $m->metar($line) };
    my $slp = defined $m->{slp} && $m->{slp} =~ /^SLP(\d+)/ ? $1 : '';
    my $wind = defined $m->{wind} ? $m->{WIND_DIR_DEG} : '';
    print join("\t", $m->{SITE}, $m->{TEMP_C}, $m->{DEW_C}, $m->{HOURLY_TEMP_C},
               $m->{HOURLY_DEW_C}, $wind, $m->{WIND_KTS}, $m->{WIND_GUST_KTS},
               $m->{VISIBILITY}, $m->{ALT}, $slp), "\n";
}
