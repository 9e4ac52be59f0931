#!/usr/bin/env python3
"""Writes the component library's own pictures (XPM text images) into
resources/components/: the date edit's glyph, the calendar's arrow bitmaps
and the two extra cursors. Run it again after changing a drawing here."""
import os

OUT = os.path.join(os.path.dirname(__file__), '..', 'resources', 'components')


def xpm(name, rows, colours):
    h, w = len(rows), len(rows[0])
    lines = ['/* XPM */', 'static const char *%s[] = {' % name.lower(),
             '"%d %d %d 1",' % (w, h, len(colours))]
    lines += ['"%s c %s",' % (k, v) for k, v in colours.items()]
    lines += ['"%s",' % r for r in rows[:-1]] + ['"%s"' % rows[-1], '};']
    with open(os.path.join(OUT, name + '.xpm'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


MONO = {'#': '#000000', '.': '#FFFFFF'}
# 8 x 6, each triangle 3 wide and 6 high.
left = ['..#', '.##', '###', '###', '.##', '..#']
right = ['#..', '##.', '###', '###', '##.', '#..']
xpm('PREV2', [('.' + left[y] + '.' + left[y]).ljust(8, '.') for y in range(6)], MONO)
xpm('PREV1', [('..' + left[y]).ljust(8, '.') for y in range(6)], MONO)
xpm('NEXT1', [('...' + right[y]).ljust(8, '.') for y in range(6)], MONO)
xpm('NEXT2', [('.' + right[y] + '.' + right[y]).ljust(8, '.') for y in range(6)], MONO)

# DEDITBMP: 28 x 12, two 14 x 12 images (a calendar sheet showing 15, and its
# greyed form) on fuchsia.
sheet = [
    '..............',
    '.############.',
    '.#RRRRRRRRRR#.',
    '.############.',
    '.#WWWWWWWWWW#.',
    '.#WW#WW###W#S.',
    '.#W##WW#WWW#S.',
    '.#WW#WW###W#S.',
    '.#WW#WWWW#W#S.',
    '.#W###W###W#S.',
    '.############.',
    '..SSSSSSSSSSS.',
]
grey = [r.replace('R', 'G').replace('#', 'D').replace('W', 'L').replace('S', 'L') for r in sheet]
rows = [a + b for a, b in zip(sheet, grey)]
xpm('DEDITBMP', rows, {'.': '#FF00FF', '#': '#000000', 'R': '#C00000', 'W': '#FFFFFF', 'S': '#808080',
                       'G': '#A0A0A0', 'D': '#808080', 'L': '#C0C0C0'})

# Cursors, 32 x 32 with a transparent surround: an open hand, and a hand
# holding a small sheet (dragging).
hand = [
    '.........##.....................',
    '........#ww#....................',
    '........#ww#....................',
    '........#ww#....................',
    '........#ww###..................',
    '........#ww#ww##................',
    '........#ww#ww#w##..............',
    '.....##.#ww#ww#ww#..............',
    '....#ww##wwwwwwww#..............',
    '....#www#wwwwwwww#..............',
    '.....#wwwwwwwwwww#..............',
    '......#wwwwwwwwww#..............',
    '......#wwwwwwwww#...............',
    '.......#wwwwwwww#...............',
    '........#wwwwww#................',
    '........########................',
] + ['.' * 32] * 16
drag = [r for r in hand]
drag[17] = '..........#######...............'
drag[18] = '..........#wwwww#...............'
drag[19] = '..........#wwwww#...............'
drag[20] = '..........#######...............'
cur = {'.': 'None', '#': '#000000', 'w': '#FFFFFF'}
xpm('QV_HANDCUR', hand, cur)
xpm('QV_DRAGCUR', drag, cur)
