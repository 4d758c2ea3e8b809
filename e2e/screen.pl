#!/usr/bin/perl
# Checks a screenshot of the program's client area (a binary PPM) against what the screen
# should show, at the places that PLACES lists (the program's layout, as layout_places prints
# it). Prints what it found; exits 1 when a check fails.
#   screen.pl PLACES size SHOT
#   screen.pl PLACES clues SHOT CLUES          every clue cell has ink exactly when its entry is not 0
#   screen.pl PLACES blank-clues SHOT          no clue cell has ink
#   screen.pl PLACES status SHOT none|black|red
#   screen.pl PLACES sums SHOT                 both sums show red ink
#   screen.pl PLACES picture SHOT CLUES        the result grid shows a solution of the clues
#   screen.pl PLACES marks SHOT R,C,MARK...    these result marks, every other cell white
#   screen.pl PLACES result SHOT MARKS         every result mark as MARKS lists them ("marks R" and 25)
#   screen.pl PLACES same-text SHOT X0,Y0,X1,Y1 SHOT X0,Y0,X1,Y1
# CLUES holds lines "row R" or "col C" followed by the 13 slot entries.
use strict;
use warnings;

my %rgb = (
    white => '255 255 255', black => '0 0 0', red => '255 0 0',
    clue => '255 255 220', cursor => '100 255 255',
);
my $failed = 0;

sub fail { print "FAIL: @_\n"; $failed = 1; }

# The places by name ("button 0", "slot col 3 12", "result 2 5", ...): [left, top, right,
# bottom], the right and bottom edges left out.
my %place;

sub load_places {
    my ($file) = @_;
    open(my $fh, '<', $file) or die "$file: $!\n";
    while (<$fh>) {
        my @f = split;
        next unless @f > 4;
        $place{join(' ', @f[0 .. $#f - 4])} = [@f[-4 .. -1]];
    }
    close($fh);
    die "$file: no places\n" unless %place;
}

sub place {
    my ($name) = @_;
    return $place{$name} // die "no place named '$name'\n";
}

sub load {
    my ($file) = @_;
    open(my $fh, '<:raw', $file) or die "$file: $!\n";
    local $/;
    my $data = <$fh>;
    close($fh);
    $data =~ s/\AP6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s// or die "$file: not a binary PPM\n";
    my ($w, $h, $max) = ($1, $2, $3);
    die "$file: 8-bit colours expected\n" unless $max == 255;
    return { w => $w, h => $h, data => $data };
}

sub px {
    my ($img, $x, $y) = @_;
    return join(' ', unpack('C3', substr($img->{data}, ($y * $img->{w} + $x) * 3, 3)));
}

sub is_red_ink {
    my ($c, $face) = @_;
    my ($r, $g, $b) = split ' ', $c;
    return $c ne $face && $r > $g && $g == $b;
}

sub is_black_ink {
    my ($c, $face) = @_;
    my ($r, $g, $b) = split ' ', $c;
    return $c ne $face && $r == $g && $g == $b;
}

sub ink_count {
    my ($img, $x0, $y0, $x1, $y1, $bg) = @_;
    my $n = 0;
    for my $y ($y0 .. $y1) {
        for my $x ($x0 .. $x1) { ++$n if px($img, $x, $y) ne $bg; }
    }
    return $n;
}

sub read_clues {
    my ($file) = @_;
    my (%row, %col);
    open(my $fh, '<', $file) or die "$file: $!\n";
    while (<$fh>) {
        my ($kind, $line, @slots) = split;
        next unless defined $kind && ($kind eq 'row' || $kind eq 'col');
        die "$file: 13 slots expected\n" unless @slots == 13;
        ($kind eq 'row' ? \%row : \%col)->{$line} = [@slots];
    }
    close($fh);
    return (\%row, \%col);
}

# The clue slots: [kind, line, slot], kind "row" or "col", slot 12 next to the grid.
sub slots {
    return map { [(split ' ')[1 .. 3]] } grep { /^slot / } sort keys %place;
}

sub slot_ink {
    my ($img, $kind, $line, $slot) = @_;
    my ($x0, $y0, $x1, $y1) = @{ place("slot $kind $line $slot") };
    my $bg = px($img, $x0, $y0);
    fail("clue slot $kind $line $slot has background $bg") unless $bg eq $rgb{clue} || $bg eq $rgb{cursor};
    return (ink_count($img, $x0, $y0, $x1 - 1, $y1 - 1, $bg), $bg);
}

sub check_clues {
    my ($img, $file) = @_;
    my ($row, $col) = read_clues($file);
    my ($numbers, $cursor) = (0, 0);
    for my $s (slots()) {
        my ($kind, $line, $slot) = @$s;
        my $entry = ($kind eq 'row' ? $row : $col)->{$line}[$slot];
        my ($ink, $bg) = slot_ink($img, @$s);
        ++$cursor if $bg eq $rgb{cursor};
        if ($entry > 0) {
            ++$numbers;
            fail("clue slot @$s should show $entry") unless $ink > 0;
        } else {
            fail("clue slot @$s should be empty, has $ink ink pixels") if $ink > 0;
        }
    }
    fail("$cursor cursor cells") unless $cursor == 1;
    print "clues: $numbers numbers drawn where the entries are, one cursor cell\n";
}

sub check_blank_clues {
    my ($img) = @_;
    my @slots = slots();
    for my $s (@slots) {
        my ($ink) = slot_ink($img, @$s);
        fail("clue slot @$s still shows ink") if $ink > 0;
    }
    printf "clues: all %d clue cells empty\n", scalar @slots;
}

# The button face colour, from inside the empty button.
sub face {
    my ($img) = @_;
    my ($x, $y) = @{ place('button 0') };
    return px($img, $x + 3, $y + 3);
}

sub check_status {
    my ($img, $want) = @_;
    my $face = face($img);
    my ($x0, $y0, $x1, $y1) = @{ place('status') };
    my ($black, $red, $other, $pure) = (0, 0, 0, 0);
    for my $y ($y0 .. $y1 - 1) {
        for my $x ($x0 .. $x1 - 1) {
            my $c = px($img, $x, $y);
            next if $c eq $face;
            if (is_black_ink($c, $face)) { ++$black; }
            elsif (is_red_ink($c, $face)) { ++$red; }
            else { ++$other; }
            ++$pure if $c eq $rgb{black} || $c eq $rgb{red};
        }
    }
    print "status: $black gray or black, $red red, $other other ink pixels ($pure pure)\n";
    if ($want eq 'none') {
        fail('status strip not empty') if $black + $red + $other;
    } elsif ($want eq 'black') {
        fail('status ink not black') unless $black > 0 && $pure > 0 && $red + $other == 0;
    } elsif ($want eq 'red') {
        fail('status ink not red') unless $red > 0 && $pure > 0 && $black + $other == 0;
    } else {
        die "status: none, black or red\n";
    }
}

sub check_sums {
    my ($img) = @_;
    my $face = face($img);
    for my $line (['column-sum', 'column'], ['row-sum', 'row']) {
        my ($x0, $y0, $x1, $y1) = @{ place($line->[0]) };
        my ($red, $other, $left, $right) = (0, 0, 999, -1);
        for my $y ($y0 .. $y1 - 1) {
            for my $x ($x0 .. $x1 - 1) {
                my $c = px($img, $x, $y);
                next if $c eq $face;
                if (is_red_ink($c, $face)) { ++$red; } else { ++$other; }
                $left = $x if $x < $left;
                $right = $x if $x > $right;
            }
        }
        print "sums: $line->[1] total drawn in red from x $left to $right\n";
        fail("$line->[1] total not drawn in red") unless $red > 0 && $other == 0;
    }
}

# Result mark of puzzle cell (r, c): 0 to 4 as drawn, '?' for anything else. A cell of n x n
# pixels: a black cross has 2n - 1 pixels, the red cross 2(n - 3) - 1, the red square leaves
# a white margin of one pixel.
sub mark_at {
    my ($img, $r, $c) = @_;
    my ($x, $y, $x1) = @{ place("result $r $c") };
    my $n = $x1 - $x;
    my $mid = int($n / 2);
    my %seen;
    for my $dy (0 .. $n - 1) {
        for my $dx (0 .. $n - 1) { $seen{px($img, $x + $dx, $y + $dy)}++; }
    }
    return 0 if ($seen{$rgb{white}} // 0) == $n * $n;
    return 2 if ($seen{$rgb{black}} // 0) == $n * $n;
    my $corner = px($img, $x, $y);
    my $centre = px($img, $x + $mid, $y + $mid);
    my $top = px($img, $x + $mid, $y + 1);
    return 1 if $corner eq $rgb{black} && $centre eq $rgb{black} && $top eq $rgb{white}
        && ($seen{$rgb{black}} // 0) == 2 * $n - 1;
    return 3 if $corner eq $rgb{white} && px($img, $x + 1, $y + 1) eq $rgb{red} && $centre eq $rgb{red}
        && $top eq $rgb{white} && ($seen{$rgb{red}} // 0) == 2 * ($n - 3) - 1;
    return 4 if $corner eq $rgb{white} && ($seen{$rgb{red}} // 0) == ($n - 2) * ($n - 2)
        && ($seen{$rgb{white}} // 0) == $n * $n - ($n - 2) * ($n - 2);
    return '?';
}

sub runs {
    my (@cells) = @_;
    my (@runs, $n);
    $n = 0;
    for my $filled (@cells, 0) {
        if ($filled) { ++$n; } elsif ($n) { push @runs, $n; $n = 0; }
    }
    return join(' ', @runs);
}

sub check_picture {
    my ($img, $file) = @_;
    my ($row, $col) = read_clues($file);
    my ($height, $width) = (0, 0);
    for my $line (1 .. 25) {
        $height = $line if grep { $_ } @{ $row->{$line} };
        $width = $line if grep { $_ } @{ $col->{$line} };
    }
    my @grid;
    my %count;
    for my $r (1 .. 25) {
        my $text = '';
        for my $c (1 .. 25) {
            my $m = mark_at($img, $r, $c);
            $grid[$r][$c] = $m;
            $count{$m}++;
            $text .= $m eq '0' ? ' ' : $m eq '1' ? '.' : $m eq '2' ? '#' : $m;
            my $inside = $r <= $height && $c <= $width;
            fail("cell $r,$c shows mark $m") if $inside ? ($m ne '1' && $m ne '2') : $m ne '0';
        }
        print "picture |$text|\n" if $r <= $height;
    }
    for my $r (1 .. $height) {
        my $want = join(' ', grep { $_ } @{ $row->{$r} });
        my $got = runs(map { $grid[$r][$_] eq '2' } 1 .. $width);
        fail("row $r shows blocks [$got], its clue is [$want]") unless $got eq $want;
    }
    for my $c (1 .. $width) {
        my $want = join(' ', grep { $_ } @{ $col->{$c} });
        my $got = runs(map { $grid[$_][$c] eq '2' } 1 .. $height);
        fail("column $c shows blocks [$got], its clue is [$want]") unless $got eq $want;
    }
    printf "picture: %d x %d, %d filled, %d crossed, every row and column agrees with its clue\n",
        $height, $width, $count{2} // 0, $count{1} // 0;
}

sub check_marks {
    my ($img, @want) = @_;
    my %want;
    for (@want) {
        my ($r, $c, $m) = split /,/;
        $want{"$r,$c"} = $m;
    }
    for my $r (1 .. 25) {
        for my $c (1 .. 25) {
            my $expected = $want{"$r,$c"} // 0;
            my $m = mark_at($img, $r, $c);
            fail("cell $r,$c shows mark $m, expected $expected") unless $m eq $expected;
        }
    }
    print "marks: ", (@want ? "@want" : "none"), ", every other cell white\n";
}

sub check_result {
    my ($img, $file) = @_;
    open(my $fh, '<', $file) or die "$file: $!\n";
    my ($rows, $wrong, %count) = (0, 0);
    while (<$fh>) {
        my ($kind, $r, @marks) = split;
        next unless defined $kind && $kind eq 'marks';
        die "$file: 25 marks expected\n" unless @marks == 25;
        ++$rows;
        for my $c (1 .. 25) {
            my $m = mark_at($img, $r, $c);
            $count{$m}++;
            next if $m eq $marks[$c - 1];
            fail("cell $r,$c shows mark $m, expected $marks[$c - 1]") if ++$wrong <= 10;
        }
    }
    close($fh);
    die "$file: 25 rows of marks expected\n" unless $rows == 25;
    fail("$wrong cells differ") if $wrong;
    printf "result: %d crossed, %d filled, %d crossed and %d filled in red, %d white\n",
        map { $count{$_} // 0 } 1, 2, 3, 4, 0;
}

# The ink of an area, cropped to its bounding box; the area's corner gives the background.
sub ink_shape {
    my ($img, $area) = @_;
    my ($x0, $y0, $x1, $y1) = split /,/, $area;
    my $bg = px($img, $x0, $y0);
    my ($l, $t, $r, $b) = (999, 999, -1, -1);
    for my $y ($y0 .. $y1) {
        for my $x ($x0 .. $x1) {
            next if px($img, $x, $y) eq $bg;
            $l = $x if $x < $l;
            $r = $x if $x > $r;
            $t = $y if $y < $t;
            $b = $y if $y > $b;
        }
    }
    return '' if $r < 0;
    my $shape = '';
    for my $y ($t .. $b) {
        $shape .= join('', map { px($img, $_, $y) eq $bg ? '.' : '#' } $l .. $r) . "\n";
    }
    return $shape;
}

load_places(shift // die "usage: screen.pl PLACES COMMAND SHOT ...\n");
my $command = shift // die "usage: screen.pl PLACES COMMAND SHOT ...\n";
my $img = load(shift // die "no screenshot\n");
if ($command eq 'size') {
    print "$img->{w} $img->{h}\n";
} elsif ($command eq 'clues') {
    check_clues($img, shift);
} elsif ($command eq 'blank-clues') {
    check_blank_clues($img);
} elsif ($command eq 'status') {
    check_status($img, shift);
} elsif ($command eq 'sums') {
    check_sums($img);
} elsif ($command eq 'picture') {
    check_picture($img, shift);
} elsif ($command eq 'result') {
    check_result($img, shift);
} elsif ($command eq 'marks') {
    check_marks($img, @ARGV);
} elsif ($command eq 'same-text') {
    my $first = ink_shape($img, shift);
    my $other = load(shift);
    my $second = ink_shape($other, shift);
    fail('no ink to compare') if $first eq '';
    fail("the two texts differ:\n$first\nand\n$second") unless $first eq $second;
    print "same text:\n$first" unless $failed;
} else {
    die "unknown command $command\n";
}
exit $failed;
