#!/usr/bin/perl
# Writes the program icon: one 48 x 48, 32-bit image of a solved 5 x 5 nonogram.
use strict;
use warnings;

my $out = shift or die "usage: make-icon.pl OUTPUT.ico\n";
my $size = 48;
my @picture = (
    '.#.#.',
    '#####',
    '#####',
    '.###.',
    '..#..',
);
my $first = 4;     # the grid's outer lines are at 4 and 44
my $step = 8;
my $last = $first + 5 * $step;

# BGRA, top row first.
sub pixel {
    my ($x, $y) = @_;
    return [0, 0, 0, 0] if $x < $first || $x > $last || $y < $first || $y > $last;
    return [0, 0, 255, 255] if $x == $first || $x == $last || $y == $first || $y == $last;
    return [192, 192, 192, 255] if ($x - $first) % $step == 0 || ($y - $first) % $step == 0;
    my $cell = substr($picture[int(($y - $first) / $step)], int(($x - $first) / $step), 1);
    return $cell eq '#' ? [0, 0, 0, 255] : [255, 255, 255, 255];
}

my $xor = '';
my $and = '';
for (my $y = $size - 1; $y >= 0; --$y) {    # bottom-up rows
    my $bits = '';
    for my $x (0 .. $size - 1) {
        my $p = pixel($x, $y);
        $xor .= pack('C4', @$p);
        $bits .= $p->[3] ? '0' : '1';
    }
    $bits .= '0' x (64 - $size);              # rows padded to 32 bits
    $and .= pack('B*', $bits);
}

my $header = pack('VVVvvVVVVVV', 40, $size, 2 * $size, 1, 32, 0, length($xor) + length($and), 0, 0, 0, 0);
my $image = $header . $xor . $and;
my $dir = pack('vvv', 0, 1, 1) . pack('CCCCvvVV', $size, $size, 0, 0, 1, 32, length($image), 6 + 16);

open(my $fh, '>:raw', $out) or die "$out: $!\n";
print $fh $dir, $image;
close($fh) or die "$out: $!\n";
