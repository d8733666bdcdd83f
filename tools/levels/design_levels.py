#!/usr/bin/env python3
"""Design aid for Tripath levels: searches for a compact layout that is a
real puzzle, mends levels towards the targets of their place on the grid,
and measures levels.

    design_levels.py --solver build/tools/solver/tripath-solve search \\
        --chars 1,2,3 --check sharing --width 9 --height 9 --target 50 \\
        --gems 1-3 --seed 7 --out /tmp/candidate.txt
    design_levels.py --solver build/tools/solver/tripath-solve tune \\
        levels/40.txt --level 40 --seed 40 --out /tmp/40.txt
    design_levels.py --solver build/tools/solver/tripath-solve prune levels/40.txt
    design_levels.py --solver build/tools/solver/tripath-solve compact levels/40.txt
    design_levels.py --solver build/tools/solver/tripath-solve check --explain levels/37.txt
    design_levels.py --solver build/tools/solver/tripath-solve show levels/37.txt

`search` starts from random compact boards (a lattice of junctions one cell
apart, some of them joined into loops, coloured in patches, with starts,
exits and gems on the cells) and then changes them a few cells at a time,
keeping what scores better (see score()): many real decisions along the
shortest solution (a run of turn-backs counts once, a step into an untouched
dead end not at all), few steps per real decision, no noise (a character,
gem or dead end the level has as many real decisions without), naive
players who rarely win, little unused floor, and close to the wanted number
of steps. The level's idea must hold (see CHECKS), or the score pays heavily
for it.

`tune` starts from a level and changes it towards the targets of its place
on the grid (see Targets): both naive players out, real decisions close to
the aim for its distance from the start corner, at most 10 steps per real
decision, no noise, little unused floor, no idea needed before its lesson,
a short enough solution; among those, compact boards where every cell
serves the puzzle (see puzzle_score()), and no change that adds decisions
by adding decoration. It ends with `prune`, which takes the decoration and
the dead ends that are noise away; `compact` squeezes corridors shorter.

`check` tells which ideas a level needs and, with --explain, what its
shortest solution does; `show` prints boards with their measures. Pictures
with the game's art come from `tripath-assets --draw`.

Every result is an ordinary level source: curate it by hand afterwards and
store its solution with `tripath-solve --write N`.
"""

import argparse
import atexit
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

PATH = {0: '#', 1: 'p', 2: 'l', 3: 'o'}
WORN = {0: '+', 1: 'q', 2: 'i', 3: 'u'}
START = {1: 'P', 2: 'L', 3: 'O'}
EXIT = {1: '1', 2: '2', 3: '3'}
OWNER = {**{v: k for k, v in PATH.items()}, **{v: k for k, v in WORN.items()}}
FRESH = {WORN[k]: PATH[k] for k in PATH}
THIN = {PATH[k]: WORN[k] for k in PATH}

# The ideas a level can be asked to need (see the solver's --needs, which
# tells the first four), and one more:
#   order    sharing is needed, and the characters meet more than once: in
#            the shortest solution, characters step off two or more tiles
#            that vanished under them. (Without characters standing together
#            the order of moves never matters: a tile only counts how often
#            it is left.)
CHECKS = ('wear', 'worn', 'exits', 'sharing', 'gems', 'own-exit', 'never-wear', 'order')
# Any other check is an insight family (tripath-solve --families), such as
# 'thin bridge' or 'home base': the level must need it.
NAMES = {1: 'Pim', 2: 'Lu', 3: 'Ost'}


def is_path(ch):
    return ch in OWNER


class Solver:
    """Runs tripath-solve on many boards at once and reads its table."""

    def __init__(self, binary, max_states):
        self.binary = binary
        self.max_states = max_states
        self.dir = tempfile.mkdtemp(prefix='tripath-design-')
        # The boards written for the solver are scratch: none outlives the run.
        atexit.register(shutil.rmtree, self.dir, True)
        self.count = 0

    def measure(self, boards, flags=(), traps=True):
        """One dict of measures per board (None for a board that cannot be
        read); 'steps' is an int, 'none' or '?'."""
        files = [self.write(rows) for rows in boards]
        results = {}
        # A board the level reader refuses stops the run; retry the others.
        pending = list(files)
        while pending:
            args = [self.binary, '--tsv', '--max-states', str(self.max_states)] + list(flags)
            if traps:
                args.append('--traps')
            for path in pending:
                args += ['--file', path]
            out = subprocess.run(args, capture_output=True, text=True)
            lines = out.stdout.splitlines()
            header = lines[0].split('\t') if lines else []
            for line in lines[1:]:
                row = dict(zip(header, line.split('\t')))
                for key, value in row.items():
                    if key in ('per_deep', 'per_real', 'naive', 'interleaving'):
                        row[key] = float(value)
                    elif key not in ('source', 'steps', 'size', 'solution', 'needs',
                                     'noise_parts', 'families'):
                        row[key] = int(value)
                if row['steps'] not in ('none', '?'):
                    row['steps'] = int(row['steps'])
                results[row['source']] = row
            rest = [p for p in pending if p not in results]
            if len(rest) == len(pending):
                # Nothing was solved: the reader refused a board, and named it.
                broken = [p for p in rest if p in out.stderr] or rest[:1]
                results[broken[0]] = None
                rest = [p for p in rest if p != broken[0]]
            pending = rest
        for path in files:
            os.unlink(path)
        return [results.get(path) for path in files]

    def write(self, rows):
        """A new source file in the work folder holding the board."""
        self.count += 1
        path = os.path.join(self.dir, f'b{self.count}.txt')
        with open(path, 'w') as f:
            f.write('map:\n' + '\n'.join(rows) + '\n')
        return path

    def lint(self, boards):
        """The tiles each board's puzzle is no worse without, as a list of
        (x, y) map cells: its decoration, and the untouched dead-end tiles
        that are noise (see the solver's --noise). None for a board that
        cannot be read or solved."""
        out = []
        for rows in boards:
            path = self.write(rows)
            run = subprocess.run([self.binary, '--lint', '--max-states', str(self.max_states),
                                  '--file', path], capture_output=True, text=True)
            os.unlink(path)
            # The first line lists the decoration, the second the noise.
            lines = run.stdout.strip().splitlines() + ['', '']
            if not lines[0].startswith('level'):
                out.append(None)
                continue
            cells = lines[0].split(':', 2)[2].split() if lines[0].count(':') >= 2 else []
            noise = lines[1].split(': noise: ', 1)[-1].split(', ')
            cells += [part[len('dead end '):] for part in noise if part.startswith('dead end ')
                      and not part.endswith('?')]
            out.append([tuple(int(v) for v in cell.split(',')) for cell in cells])
        return out


def holds_many(solver, boards, check, ms=None):
    """Whether each board needs the idea `check` (one of CHECKS, or a family);
    `ms`, when given, are the boards' measures with their needs, taken
    already."""
    if check not in CHECKS:
        ms = solver.measure(boards, ['--families'], traps=False)
        return [m is not None and check in m['families'].split(';') for m in ms]
    if ms is None:
        ms = solver.measure(boards, ['--needs'], traps=False)
    idea = 'sharing' if check == 'order' else check
    ok = [m is not None and idea in needs_of(m) for m in ms]
    if check == 'order':
        ok = [k and len({e[2] for e in replay(b, m['solution']) if e[0] == 'meets'}) >= 2
              for k, m, b in zip(ok, ms, boards)]
    return ok


def replay(rows, solution):
    """Plays a solution (text) on the board and tells what happens, as
    tuples (event, step, cell, who, others): 'gem' collected, 'exit' of
    another entered, 'vanish' (a tile left for the last time; others: who
    still stands on it) and 'meets' (a step off a tile that had already
    vanished under the one leaving)."""
    cells = {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch not in '. '}
    passes = {cell: (3 if ch in PATH.values() else 1) for cell, ch in cells.items() if is_path(ch)}
    where = {c: cell for cell, ch in cells.items() for c, mark in START.items() if ch == mark}
    exits = {cell: int(ch) for cell, ch in cells.items() if ch in '123'}
    gems = {cell for cell, ch in cells.items() if ch == '*'}
    events = []
    for step, move in enumerate(solution.split(','), 1):
        who, d = move.split()
        c = {'P': 1, 'L': 2, 'O': 3}[who]
        here = where[c]
        if here in passes:
            if passes[here] == 0:
                events.append(('meets', step, here, c, ()))
            else:
                passes[here] -= 1
                if passes[here] == 0:
                    others = tuple(o for o, at in where.items() if o != c and at == here)
                    events.append(('vanish', step, here, c, others))
        dx, dy = {'U': (0, -1), 'D': (0, 1), 'L': (-1, 0), 'R': (1, 0)}[d]
        where[c] = (here[0] + dx, here[1] + dy)
        if where[c] in gems:
            gems.discard(where[c])
            events.append(('gem', step, where[c], c, ()))
        if exits.get(where[c], c) != c:
            events.append(('exit', step, where[c], c, (exits[where[c]],)))
    return events


def explain_lines(rows, solution):
    """What a solution does, in words: who fetches which gem, who crosses
    whose exit, which tiles vanish and who shares them."""
    out = []
    for event, step, (x, y), c, others in replay(rows, solution):
        at = f'step {step}: {NAMES[c]}'
        if event == 'gem':
            out.append(f'{at} takes the gem at {x},{y}')
        elif event == 'exit':
            out.append(f'{at} crosses {NAMES[others[0]]}\'s exit at {x},{y}')
        elif event == 'vanish':
            also = ' with ' + ' and '.join(NAMES[o] for o in others) + ' still on it' if others \
                else ''
            out.append(f'{at} leaves {x},{y} for the last time{also}')
        else:
            out.append(f'{at} steps off {x},{y}, already gone')
    return out


# ---------------------------------------------------------------------------
# Boards


def valid(rows, chars, gems):
    text = ''.join(rows)
    for c in (1, 2, 3):
        want = 1 if c in chars else 0
        if text.count(START[c]) != want or text.count(EXIT[c]) != want:
            return False
    return gems[0] <= text.count('*') <= gems[1]


def trim(rows):
    """Drops empty outer rows and columns."""
    rows = [r.rstrip('.') for r in rows]
    while rows and not rows[0]:
        rows.pop(0)
    while rows and not rows[-1]:
        rows.pop()
    if not rows:
        return rows
    left = min(len(r) - len(r.lstrip('.')) for r in rows if r)
    return [r[left:] for r in rows]


def near4(x, y):
    return ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1))


def on_lattice(x, y):
    """Floor may lie where a row or a column of junctions runs: never on
    cells with both coordinates odd, so the board never has a 2 x 2 block
    and reads as paths, with a junction every other cell."""
    return x % 2 == 0 or y % 2 == 0


def grow_board(rng, width, height, chars, gems, shared, loops, worn):
    """A random compact board on the lattice: a random tree of junctions
    with some loops, starts, exits and gems on it, each character's way from
    start to exit (and a way to each gem) coloured so that it can walk it,
    the rest coloured in patches, and some tiles worn thin."""
    nw, nh = (width + 1) // 2, (height + 1) // 2
    nodes = [(x, y) for y in range(nh) for x in range(nw)]
    first = rng.choice(nodes)
    inside = {first}
    edges = set()
    frontier = [(first, m) for m in lattice_neighbours(first, nw, nh)]
    target = int(len(nodes) * rng.uniform(0.6, 0.9))
    while frontier and len(inside) < target:
        a, b = frontier.pop(rng.randrange(len(frontier)))
        if b in inside:
            continue
        inside.add(b)
        edges.add(frozenset((a, b)))
        frontier += [(b, m) for m in lattice_neighbours(b, nw, nh)]
    for a in inside:
        for b in lattice_neighbours(a, nw, nh):
            if b in inside and rng.random() < loops / 2:
                edges.add(frozenset((a, b)))
    floor = {(2 * x, 2 * y) for (x, y) in inside}
    for e in edges:
        (ax, ay), (bx, by) = tuple(e)
        floor.add((ax + bx, ay + by))
    cells = sorted(floor)
    leaves = [c for c in cells if sum(n in floor for n in near4(*c)) == 1]
    rng.shuffle(leaves)
    others = [c for c in cells if c not in leaves]
    rng.shuffle(others)
    count = rng.randint(*gems)
    if len(cells) < 2 * len(chars) + count + 2:
        return None
    marks = {}
    spots = leaves + others
    for _ in range(count):
        marks[spots.pop(0)] = '*'
    for c in chars:
        marks[spots.pop(0)] = EXIT[c]
    rng.shuffle(spots)
    for c in chars:
        marks[spots.pop(0)] = START[c]
    where = {mark: cell for cell, mark in marks.items()}

    def route(a, b):
        previous = {a: None}
        queue = [a]
        for cell in queue:
            if cell == b:
                break
            for n in near4(*cell):
                if n in floor and n not in previous:
                    previous[n] = cell
                    queue.append(n)
        path = []
        while b is not None:
            path.append(b)
            b = previous.get(b)
        return path

    owner = {}

    def claim(path, c):
        for cell in path:
            if cell in marks:
                continue
            if cell not in owner:
                owner[cell] = 0 if rng.random() < shared else c
            elif owner[cell] != c:
                owner[cell] = 0

    for c in chars:
        claim(route(where[START[c]], where[EXIT[c]]), c)
    for cell, mark in marks.items():
        if mark == '*':
            c = rng.choice(chars)
            claim(route(where[START[c]], cell), c)
    # The rest in patches of one colour.
    for cell in cells:
        if cell in owner or cell in marks:
            continue
        colour = 0 if rng.random() < shared else rng.choice(chars)
        patch = [cell]
        while patch:
            here = patch.pop()
            if here in owner or here in marks or here not in floor:
                continue
            owner[here] = colour
            if rng.random() < 0.7:
                patch += list(near4(*here))
    grid = [['.'] * width for _ in range(height)]
    for (x, y) in cells:
        if (x, y) in marks:
            grid[y][x] = marks[(x, y)]
        else:
            grid[y][x] = (WORN if rng.random() < worn else PATH)[owner[(x, y)]]
    return [''.join(r) for r in grid]


def lattice_neighbours(node, nw, nh):
    x, y = node
    return [(a, b) for a, b in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1))
            if 0 <= a < nw and 0 <= b < nh]


def mutate(rng, rows, width, height, chars, gems, thin=True):
    """The board with one to three small changes, on the lattice; without
    `thin`, no tile starts worn."""
    grid = [list(r.ljust(width, '.')) for r in rows]
    grid += [['.'] * width for _ in range(height - len(grid))]
    spots = [(x, y) for y in range(height) for x in range(width) if on_lattice(x, y)]
    for _ in range(rng.choice((1, 1, 1, 2, 2, 3))):
        x, y = rng.choice(spots)
        ch = grid[y][x]
        kind = rng.random()
        near = [grid[b][a] for a, b in near4(x, y)
                if 0 <= a < width and 0 <= b < height and is_path(grid[b][a])]
        if kind < 0.3:
            # Floor comes and goes.
            if ch == '.':
                grid[y][x] = PATH[OWNER[rng.choice(near)]] if near and rng.random() < 0.7 \
                    else PATH[rng.choice([0] + chars)]
            elif is_path(ch):
                grid[y][x] = '.'
        elif kind < 0.5:
            # A patch of a few joined path cells takes one colour.
            if is_path(ch):
                owner = rng.choice([0, 0] + chars)
                patch, size = [(x, y)], rng.randint(1, 4)
                while patch and size > 0:
                    a, b = patch.pop(rng.randrange(len(patch)))
                    if not is_path(grid[b][a]) or OWNER[grid[b][a]] == owner:
                        continue
                    grid[b][a] = (WORN if grid[b][a] in WORN.values() else PATH)[owner]
                    size -= 1
                    patch += [(i, j) for i, j in near4(a, b) if 0 <= i < width and 0 <= j < height]
        elif kind < 0.65:
            if is_path(ch) and thin:
                grid[y][x] = FRESH.get(ch) or THIN[ch]
        elif kind < 0.85:
            # A gem, a start or an exit moves to this path cell.
            if is_path(ch):
                marks = [(a, b) for b in range(height) for a in range(width)
                         if grid[b][a] in '*PLO123']
                a, b = rng.choice(marks)
                mark = grid[b][a]
                grid[y][x] = mark
                owner = {'P': 1, 'L': 2, 'O': 3, '1': 1, '2': 2, '3': 3}.get(mark, 0)
                grid[b][a] = PATH[owner if rng.random() < 0.5 else 0]
        else:
            # A gem more or less.
            if is_path(ch):
                grid[y][x] = '*'
            elif ch == '*':
                grid[y][x] = PATH[0]
    out = reachable_only([''.join(r) for r in grid])
    return out if valid(out, chars, gems) else None


def tidiness(rows):
    """What makes a board hard to read, as a penalty: a character's colour
    broken into many patches, many tiles that start worn, and dead ends
    that hold nothing."""
    cells = {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch not in '. '}
    colour = {cell: OWNER.get(ch, {'P': 1, 'L': 2, 'O': 3}.get(ch, -1)) for cell, ch in cells.items()}
    patches = 0
    seen = set()
    for cell, c in colour.items():
        if c <= 0 or cell in seen:
            continue
        patches += 1
        stack = [cell]
        seen.add(cell)
        while stack:
            x, y = stack.pop()
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if n not in seen and colour.get(n) == c:
                    seen.add(n)
                    stack.append(n)
    owners = {c for c in colour.values() if c > 0}
    paths = [ch for ch in cells.values() if is_path(ch)]
    thin = sum(ch in WORN.values() for ch in paths)
    stubs = 0
    for (x, y), ch in cells.items():
        near = sum(n in cells for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)))
        if near <= 1 and is_path(ch):
            stubs += 1
    penalty = 1.5 * max(0, patches - len(owners))
    penalty += 2.0 * max(0, thin - 0.1 * len(paths))
    penalty += 0.4 * stubs
    # Mostly white boards lose the characters' own paths; mostly coloured
    # ones leave little to share.
    white = sum(OWNER.get(ch) == 0 for ch in cells.values()) / max(1, len(cells))
    penalty += 40 * max(0, white - 0.6) + 40 * max(0, 0.25 - white)
    return penalty


def reachable_only(rows):
    """The board without the cells no character can ever get to."""
    cells = {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch not in '. '}
    keep = set()
    for c, mark in START.items():
        starts = [cell for cell, ch in cells.items() if ch == mark]
        stack = list(starts)
        seen = set(starts)
        while stack:
            x, y = stack.pop()
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                ch = cells.get(n)
                if n in seen or ch is None:
                    continue
                if ch in '#+*123' or OWNER.get(ch) == c:
                    seen.add(n)
                    stack.append(n)
        keep |= seen
    return [''.join(ch if (x, y) in keep or ch in '.' else '.' for x, ch in enumerate(row))
            for y, row in enumerate(rows)]


def score(m, target, tolerance, idea_ok, max_states, rows=None, most=None):
    """Higher is better; None when the board cannot be finished."""
    if m is None or not isinstance(m['steps'], int) or m['steps'] == 0:
        return None
    steps = m['steps']
    value = -tidiness(rows) if rows else 0.0
    # Real decisions, not traps: a corridor that fails at every cell, a stub
    # or an errand earns nothing, and a part the level would be no worse
    # without (measured for the few boards worth it) costs.
    value += 5.0 * m['real']
    if most is not None:
        # An early level should not outdo the later ones.
        value -= 6.0 * max(0, m['real'] - most)
    value -= 1.5 * max(0.0, m['per_real'] - WALK)
    value -= 8.0 * max(0, m.get('noise', 0))
    corridor = 100.0 * m['corridor'] / max(1, m['floor'])
    value -= 0.25 * corridor
    # A level that a player without foresight wins is a walk; floor the
    # solution never stands on must earn its place.
    value -= 1.0 * max(0, m['naive'] - 5) + 1.0 * max(0, m['interleaving'] - 5)
    value -= 0.5 * max(0, m['unused'] - 40) + 0.1 * m['unused']
    value -= 20.0 * (m['pieces'] - 1)
    miss = abs(steps - target)
    if miss > tolerance:
        value -= 3.0 * (miss - tolerance)
    if not idea_ok:
        value -= 40.0
    if m['unknown']:
        value -= 5.0
    if m['states'] > max_states:
        value -= 20.0 * math.log2(m['states'] / max_states) + 10.0
    return value


def search(args, solver):
    rng = random.Random(args.seed)
    # A board that needs more states than the cap is no good anyway.
    solver.max_states = min(solver.max_states, 2 * args.cap)
    chars = [int(c) for c in args.chars.split(',')]
    low, high = (int(v) for v in args.gems.split('-'))
    gems = (low, high)
    checks = args.check.split(',') if args.check else []
    avoid = args.avoid.split(',') if args.avoid else []

    def evaluate(boards, keep=3):
        """(score, rows, measures, idea holds) of the boards worth keeping:
        the idea checks cost the most, so only the best few by their other
        measures are checked."""
        ms = solver.measure(boards)
        hopeful = []
        for rows, m in zip(boards, ms):
            s = score(m, args.target, args.tolerance, True, args.cap, rows, args.most)
            if s is not None:
                hopeful.append((s, rows, m))
        hopeful.sort(key=lambda t: -t[0])
        hopeful = hopeful[:keep]
        # The ablation is dear: only the boards worth keeping are weighed.
        weighed = solver.measure([rows for _, rows, _ in hopeful], ['--noise'], traps=False)
        for (_, _, m), w in zip(hopeful, weighed):
            m['noise'] = w['noise'] if w else -1
            m['noise_parts'] = w['noise_parts'] if w else ''
        ok = [True] * len(hopeful)
        for check in checks + avoid:
            live = [i for i in range(len(hopeful)) if ok[i]]
            if not live:
                break
            # The measures with --traps hold the needs already.
            result = holds_many(solver, [hopeful[i][1] for i in live], check,
                                [hopeful[i][2] for i in live])
            for i, r in zip(live, result):
                # An idea to avoid is one the level must not need yet.
                ok[i] = r if check in checks else not r
        return [(score(m, args.target, args.tolerance, k, args.cap, rows, args.most), rows, m, k)
                for (s, rows, m), k in zip(hopeful, ok)]

    best = None
    start = None
    if args.start:
        # A board drawn by hand that holds the idea: the search grows it and
        # never takes a change that loses the idea.
        _, drawn = read_source(args.start)
        grid = [r.ljust(args.width, '.')[:args.width] for r in drawn][:args.height]
        grid += ['.' * args.width] * (args.height - len(grid))
        found = [e for e in evaluate([grid]) if e[3]]
        if not found:
            print('the board to start from does not hold the idea', file=sys.stderr)
            return 1
        start = found[0]
    for restart in range(args.restarts):
        # A start that can be finished, not too far below the target.
        current = start
        for attempt in range(0 if start else args.starts):
            boards = []
            while len(boards) < 8:
                b = grow_board(rng, args.width, args.height, chars, gems, args.shared,
                               args.loops, args.worn)
                if b:
                    b = reachable_only(b)
                if b and valid(b, chars, gems):
                    boards.append(b)
            for s, b, m, k in evaluate(boards):
                if m['steps'] >= args.target * 0.4:
                    if current is None or s > current[0]:
                        current = (s, b, m, k)
            if current and attempt >= 3:
                break
        if current is None:
            continue
        temperature = args.temperature
        for step in range(args.steps):
            mutants = []
            for _ in range(200):
                b = mutate(rng, current[1], args.width, args.height, chars, gems, args.worn > 0)
                if b and b != current[1]:
                    mutants.append(b)
                if len(mutants) >= args.batch:
                    break
            if not mutants:
                continue
            scored = evaluate(mutants)
            if start:
                scored = [e for e in scored if e[3]]
            if scored:
                top = max(scored, key=lambda t: t[0])
                delta = top[0] - current[0]
                if delta >= 0 or rng.random() < math.exp(delta / max(temperature, 1e-6)):
                    current = top
            temperature *= args.cooling
            if best is None or current[0] > best[0]:
                best = current
                describe(best, f'restart {restart} step {step}', sys.stderr)
    if best is None:
        print('no layout found', file=sys.stderr)
        return 1
    s, rows, m, ok = best
    text = ''
    if args.title:
        text += f'title: {args.title}\n'
    if args.idea:
        text += f'idea: {args.idea}\n'
    text += 'map:\n' + '\n'.join(trim(rows)) + '\n'
    if args.out:
        with open(args.out, 'w') as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    describe(best, 'best', sys.stderr)
    return 0


def describe(entry, label, out):
    s, rows, m, ok = entry
    corridor = round(100 * m['corridor'] / max(1, m['floor']))
    print(f"{label}: score {s:.1f}, {m['steps']} steps, {m['states']} states, traps {m['traps']} "
          f"({m['distinct']} different, {m['distinct_deep']} deep, {m['real']} real), "
          f"{m['per_real']} steps per real decision, noise {m.get('noise_parts') or 'none'}, "
          f"corridor {corridor}% (run {m['longest']}), idea {'holds' if ok else 'MISSING'}",
          file=out)
    for row in trim(rows):
        print('    ' + row, file=out)


# ---------------------------------------------------------------------------
# Tuning a level to the measures of a puzzle


GRID = 8  # levels per row of the grid

# The lesson of each idea the solver can switch off: no level nearer the
# start corner (or as near) may need it, so the player meets it there first.
LESSONS = {'gems': 9, 'sharing': 3, 'wear': 17, 'worn': 17, 'exits': 4, 'own-exit': 25,
           'never-wear': 5}


def corner_distance(level):
    return (level - 1) // GRID + (level - 1) % GRID


def is_tutorial(level):
    return level <= GRID or (level - 1) % GRID == 0


# The most steps per real decision beyond the tutorials.
WALK = 10.0

# The real decisions aimed at by distance from the start corner: from 3
# beside the tutorials to 11 in the far corner, so that the row medians
# rise and rows 7 and 8 hold levels of ten and more.
AIM = {2: 3, 3: 3, 4: 4, 5: 4, 6: 5, 7: 5, 8: 6, 9: 7, 10: 7, 11: 8, 12: 9, 13: 10, 14: 11}


class Targets:
    """What the level-set test asks of a level at its place on the grid
    (see tests/tools/solver/shipped_levels_test.cpp: its decisions and its
    walk between them), what a puzzle should be on the real measure (at
    least 3 real decisions, at most WALK steps per real decision, no noise),
    and the band of real decisions that makes the climb (AIM)."""

    def __init__(self, level, least=None, most=None):
        row = (level - 1) // GRID + 1
        d = corner_distance(level)
        self.tutorial = is_tutorial(level)
        lesson = level > GRID and (level - 1) % GRID == 0
        aim = AIM[min(max(d, 2), 14)]
        self.least = least if least is not None else 0 if self.tutorial else max(3, aim - 1)
        self.most = most if most is not None else None if self.tutorial else aim + 3
        self.aim = self.least if self.tutorial else min(aim, self.most)
        self.walk = None if self.tutorial else WALK
        self.steps = 40 if lesson else 90
        self.strict = not self.tutorial  # naive players, unused floor
        self.forbidden = {idea for idea, at in LESSONS.items()
                          if at != level and d <= corner_distance(at)}


def needs_of(m):
    return set() if m.get('needs', '-') in ('-', '') else set(m['needs'].split())


def shortfall(m, t):
    """How far a level misses its targets t; 0 when it meets all of them.
    Without the trap measures, only what the quick measures tell."""
    miss = 3.0 * max(0, m['steps'] - t.steps)
    miss += 20.0 * (m['pieces'] - 1) + 10.0 * m['unreachable']
    if t.strict:
        miss += max(0, m['naive'] - 5) + max(0, m['interleaving'] - 5)
        miss += 0.5 * max(0, m['unused'] - 40)
    if m.get('needs'):
        miss += 20.0 * len(needs_of(m) & t.forbidden)
    if 'distinct_deep' in m and (m['traps'] or m['steps'] == 0 or 'needs' in m):
        miss += 6.0 * max(0, t.least - m['real'])
        if t.most is not None:
            miss += 3.0 * max(0, m['real'] - t.most)
        if t.walk is not None:
            miss += 2.0 * max(0.0, m['per_real'] - t.walk)
    if t.strict:
        miss += 10.0 * max(0, m.get('noise', 0))
    return miss


def puzzle_score(m, t, cap, rows):
    """Higher is better: meet the targets first, then decisions close to the
    aim on a compact board where little floor goes unused and the solution
    is short."""
    if m is None or not isinstance(m['steps'], int) or m['steps'] == 0:
        return None
    value = -10.0 * shortfall(m, t)
    value -= 2.0 * abs(m.get('real', 0) - t.aim)
    value -= 0.15 * m['tiles'] + 0.08 * m['unused'] + 0.02 * m['steps']
    value -= 0.05 * (m['naive'] + m['interleaving'])
    value -= 0.5 * tidiness(rows)
    if m.get('unknown'):
        value -= 5.0
    if m['states'] > cap:
        value -= 20.0 * math.log2(m['states'] / cap) + 10.0
    return value


def squeezes(rows):
    """Boards with one row or column of plain corridor taken out: every cell
    in it is path that only joins the cells on its two sides (in the same
    colour or white), so the board keeps its shape with shorter corridors."""
    out = []
    height = len(rows)
    width = max(len(r) for r in rows)
    grid = [list(r.ljust(width, '.')) for r in rows]

    def removable(cells, before, after):
        moved = 0
        for ch, a, b in zip(cells, before, after):
            if ch == '.':
                if a != '.' and b != '.':
                    return False  # two cells would meet that never did
                continue
            if ch not in PATH.values() or a == '.' or b == '.':
                return False
            for other in (a, b):
                if is_path(other) and OWNER[other] not in (0, OWNER[ch]) and OWNER[ch] != 0:
                    return False
            moved += 1
        return moved > 0

    for y in range(1, height - 1):
        if all(grid[y][x] == '.' or (
                (x == 0 or grid[y][x - 1] == '.') and (x == width - 1 or grid[y][x + 1] == '.'))
               for x in range(width)) and removable(grid[y], grid[y - 1], grid[y + 1]):
            out.append([''.join(r) for i, r in enumerate(grid) if i != y])
    for x in range(1, width - 1):
        column = [grid[y][x] for y in range(height)]
        if all(column[y] == '.' or (
                (y == 0 or grid[y - 1][x] == '.') and (y == height - 1 or grid[y + 1][x] == '.'))
               for y in range(height)) and removable(
                   column, [grid[y][x - 1] for y in range(height)],
                   [grid[y][x + 1] for y in range(height)]):
            out.append([''.join(r[:x] + r[x + 1:]) for r in grid])
    return [trim(b) for b in out]


def write_source(path, head, rows):
    """A level source from its head (as read_source gives it) and its map."""
    with open(path, 'w') as f:
        f.write('\n'.join(head) + '\nmap:\n' + '\n'.join(rows) + '\n')


def read_source(path):
    """The lines of a level source before its map (without the stored
    solution), and its map."""
    head, rows, in_map = [], [], False
    skipping = False
    with open(path) as f:
        for line in f:
            line = line.rstrip('\n')
            if in_map:
                rows.append(line)
                continue
            if line.strip() == 'map:':
                in_map = True
                continue
            if line.startswith(' ') and skipping:
                continue
            skipping = line.startswith(('steps:', 'solution:', 'origin:'))
            if not skipping:
                head.append(line)
    while rows and not rows[-1].strip():
        rows.pop()
    return head, [r.replace(' ', '.') for r in rows]


def holds(m, check):
    """Whether measures taken with --families (and --traps) show the idea or
    family `check`."""
    if check in CHECKS:
        return check in needs_of(m)
    return check in m.get('families', '').split(';')


def tune(args, solver):
    """Changes a level a little at a time until it meets the targets of its
    place on the grid, keeping what scores better (see puzzle_score()), and
    then takes its decoration away."""
    rng = random.Random(args.seed)
    head, rows = read_source(args.file)
    t = Targets(args.level, args.least, args.most)
    text = ''.join(rows)
    chars = [c for c in (1, 2, 3) if START[c] in text]
    gem_count = text.count('*')
    gems = (max(0, gem_count - 1), gem_count + args.more_gems)

    checks = [c for c in args.check.split(',') if c] if args.check else []

    def full(boards):
        ms = solver.measure(boards, ['--noise'] + (['--families'] if checks else []))
        out = []
        for b, m in zip(boards, ms):
            value = puzzle_score(m, t, args.cap, b)
            # A change that loses the level's idea or family is no change.
            if value is not None and not all(holds(m, c) for c in checks):
                value = None
            out.append((value, b, m))
        return out

    def undecorated(entry):
        """The entry with its score lowered by its decoration, so that a
        change that adds decisions by adding decoration does not pay."""
        s, b, m = entry
        decoration = solver.lint([b])[0] or []
        return (s - 1.5 * len(decoration), b, m)

    current = full([rows])[0]
    if current[0] is None:
        print('the level cannot be finished', file=sys.stderr)
        return 1
    current = undecorated(current)
    report(current, 'start', t)
    best = current
    temperature = args.temperature
    for step in range(args.steps):
        if shortfall(best[2], t) == 0 and abs(best[2]['real'] - t.aim) <= 1:
            break
        base = current[1]
        width = max(len(r) for r in base) + 2
        height = len(base) + 2
        padded = ['.' + r.ljust(width - 2, '.') + '.' for r in ['.' * (width - 2)] + base]
        mutants = []
        for _ in range(200):
            if rng.random() < 0.1:
                sq = squeezes(base)
                b = rng.choice(sq) if sq else None
            else:
                b = mutate(rng, padded, width, height + 1, chars, gems, thin=args.thin)
                b = trim(b) if b else None
            if b and b != base and b not in mutants:
                mutants.append(b)
            if len(mutants) >= args.batch:
                break
        if not mutants:
            continue
        quick = solver.measure(mutants, traps=False)
        hopeful = []
        for b, q in zip(mutants, quick):
            if not q or not isinstance(q['steps'], int) or q['states'] > 2 * args.cap:
                continue
            if q['steps'] > max(t.steps, current[2]['steps'] + 4):
                continue
            hopeful.append((shortfall(q, t) + 0.05 * q['steps'] + 0.01 * q['unused'], b))
        hopeful.sort(key=lambda e: e[0])
        scored = [e for e in full([b for _, b in hopeful[:args.keep]]) if e[0] is not None]
        if not scored:
            continue
        top = undecorated(max(scored, key=lambda e: e[0]))
        delta = top[0] - current[0]
        if delta >= 0 or rng.random() < math.exp(delta / max(temperature, 1e-6)):
            current = top
        temperature *= args.cooling
        if current[0] > best[0]:
            best = current
            report(best, f'step {step}', t)
    rows, m = prune_rows(solver, trim(best[1]))
    m = solver.measure([rows], ['--noise'])[0]
    best = (puzzle_score(m, t, args.cap, rows), rows, m)
    report(best, 'best, pruned', t)
    write_source(args.out or args.file, head, rows)
    return 0 if shortfall(m, t) == 0 else 3


def no_worse(m, base):
    """Whether measures m are a puzzle at least as good as base: as many
    steps, as many real decisions or more, naive players winning no more
    often, and the floor in no more pieces."""
    return (m is not None and isinstance(m['steps'], int) and m['steps'] == base['steps']
            and m['real'] >= base['real'] and m['naive'] <= base['naive']
            and m['interleaving'] <= base['interleaving'] and m['pieces'] <= base['pieces'])


def without(rows, cells):
    """The board with no floor on the given (x, y) map cells (not trimmed,
    so that the other cells keep their places)."""
    grid = [list(r) for r in rows]
    for x, y in cells:
        grid[y][x] = '.'
    return [''.join(r) for r in grid]


def prune_rows(solver, rows, log=sys.stderr):
    """Takes the decoration and the dead ends that are noise away until none
    is left: all of it at once when that leaves the puzzle no worse, else
    tile by tile, keeping each going that leaves it no worse. Tiles whose going would part the floor into
    more pieces stay: the puzzle might be no worse, but it would be two."""
    base = solver.measure([rows])[0]
    while True:
        cells = solver.lint([rows])[0] or []
        if not cells:
            return trim(rows), base
        tried = without(rows, cells)
        m = solver.measure([tried])[0]
        if no_worse(m, base):
            rows, base = tried, m
        else:
            kept = 0
            for cell in cells:
                tried = without(rows, [cell])
                m = solver.measure([tried])[0]
                if no_worse(m, base):
                    rows, base = tried, m
                else:
                    kept += 1
            if kept == len(cells):
                return trim(rows), base
        print(f"pruned to {base['tiles']} tiles, {base['distinct_deep']} decisions", file=log)


def compact_rows(solver, rows, log=sys.stderr):
    """Squeezes out rows and columns of plain corridor (see squeezes()) while
    the puzzle keeps its decisions and its naive players stay out: the board
    keeps its shape, with shorter walks between the decisions."""
    base = solver.measure([rows])[0]
    while True:
        options = squeezes(rows)
        if not options:
            return rows, base
        fine = []
        for b, m in zip(options, solver.measure(options)):
            if (m is not None and isinstance(m['steps'], int) and m['pieces'] <= base['pieces']
                    and m['distinct_deep'] >= base['distinct_deep'] and m['real'] >= base['real']
                    and m['naive'] <= max(5, base['naive'])
                    and m['interleaving'] <= max(5, base['interleaving'])):
                fine.append((m['steps'], -m['real'], b, m))
        if not fine:
            return rows, base
        _, _, rows, base = min(fine, key=lambda e: e[:2])
        print(f"squeezed to {base['steps']} steps, {base['tiles']} tiles, "
              f"{base['distinct_deep']} decisions", file=log)


def part_cells(rows, name):
    """The map cells (x, y) that go with a part named as tripath-solve names
    it: a character with its start, path and exit; a gem with the dead end
    that leads only to it; an untouched dead-end tile. A gem in the middle
    of the floor leaves a fresh white tile (a source cannot hold a collected
    gem). Returns (cells to clear, cells to make white path)."""
    cells = {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch not in '. '}
    if name in ('Pim', 'Lu', 'Ost'):
        c = {'Pim': 1, 'Lu': 2, 'Ost': 3}[name]
        own = {START[c], EXIT[c], PATH[c], WORN[c]}
        return [cell for cell, ch in cells.items() if ch in own], []
    kind, at = name.rsplit(' ', 1)
    x, y = (int(v) for v in at.split(','))
    if kind == 'dead end':
        return [(x, y)], []
    gone = []
    cell = (x, y)
    while True:
        rest = [n for n in near4(*cell) if n in cells and n not in gone]
        if len(rest) > 1 or (cell != (x, y) and cells[cell] in '*PLO123'):
            break
        gone.append(cell)
        if not rest:
            break
        cell = rest[0]
    return (gone, []) if gone else ([], [(x, y)])


def denoise_rows(solver, rows, log=sys.stderr):
    """Takes the noise away a part at a time (see the solver's --noise):
    each round, every noisy part is taken away in turn and the board that
    keeps the most real decisions (then the fewest steps) is kept, until no
    part is noise or taking one away leaves the level unsolvable."""
    m = solver.measure([rows], ['--noise'])[0]
    while m and isinstance(m['steps'], int) and m['noise'] > 0:
        tries = []
        for name in m['noise_parts'].split(';'):
            if name.endswith('?'):
                continue
            clear, white = part_cells(rows, name)
            grid = [list(r) for r in rows]
            for x, y in clear:
                grid[y][x] = '.'
            for x, y in white:
                grid[y][x] = PATH[0]
            changed = trim(reachable_only([''.join(r) for r in grid]))
            if changed != rows:
                tries.append((name, changed))
        if not tries:
            break
        measured = solver.measure([b for _, b in tries], ['--noise'])
        good = [(mm['real'], -mm['steps'], name, b, mm) for (name, b), mm in zip(tries, measured)
                if mm and isinstance(mm['steps'], int)]
        if not good:
            break
        real, _, name, rows, m = max(good, key=lambda e: e[:2])
        print(f"without {name}: {m['steps']} steps, {real} real decisions, noise "
              f"{m['noise_parts'] or 'none'}", file=log)
    return rows, m


def denoise(args, solver):
    head, rows = read_source(args.file)
    rows, m = denoise_rows(solver, rows)
    write_source(args.out or args.file, head, rows)
    return 0 if m and m['noise'] == 0 else 3


def compact(args, solver):
    head, rows = read_source(args.file)
    rows, m = compact_rows(solver, rows)
    rows, m = prune_rows(solver, rows)
    write_source(args.out or args.file, head, rows)
    return 0


def prune(args, solver):
    head, rows = read_source(args.file)
    rows, m = prune_rows(solver, rows)
    write_source(args.out or args.file, head, rows)
    return 0


def report(entry, label, t):
    s, rows, m = entry
    print(f"{label}: score {s:.1f}, {m['steps']} steps, {m.get('distinct_deep')} decisions, "
          f"{m.get('real')} real (aim {t.aim}, {t.least}-{t.most}), {m.get('per_real')} steps "
          f"per real decision, noise {m.get('noise_parts') or 'none'}, naive {m['naive']}% "
          f"and {m['interleaving']}%, {m['tiles']} tiles, {m['unused']}% unused, needs "
          f"{m.get('needs') or '?'}, {m['states']} states, miss {shortfall(m, t):.1f}",
          file=sys.stderr)
    for row in trim(rows):
        print('    ' + row, file=sys.stderr)


# ---------------------------------------------------------------------------
# Looking at levels


def read_map(path):
    rows, in_map = [], False
    with open(path) as f:
        for line in f:
            line = line.rstrip('\n')
            if in_map:
                rows.append(line)
            elif line.strip() == 'map:':
                in_map = True
    while rows and not rows[-1].strip():
        rows.pop()
    return [r.replace(' ', '.') for r in rows]


# Terminal colours per owner: shared white, Pim green, Lu blue, Ost red.
COLOUR = {0: '97', 1: '92', 2: '94', 3: '91'}


def picture(rows):
    """The board drawn with coloured blocks: full for fresh path, light
    shade for tiles worn thin, letters for starts and digits for exits."""
    out = []
    for row in rows:
        line = ''
        for ch in row:
            if ch in '. ':
                line += '  '
            elif ch == '*':
                line += '\033[93m<>\033[0m'
            elif ch in 'PLO':
                c = {'P': 1, 'L': 2, 'O': 3}[ch]
                line += f'\033[{COLOUR[c]};7m{ch} \033[0m'
            elif ch in '123':
                line += f'\033[{COLOUR[int(ch)]}m[]\033[0m'
            else:
                block = '\u2588\u2588' if ch in PATH.values() else '\u2591\u2591'
                line += f'\033[{COLOUR[OWNER[ch]]}m{block}\033[0m'
        out.append(line)
    return '\n'.join(out)


def show(args, solver):
    for path in args.files:
        rows = read_map(path)
        m = solver.measure([rows], ['--noise'])[0]
        print(path)
        print(picture(rows) if args.colour else '\n'.join(rows))
        if m:
            print(f"{m['steps']} steps, {m['states']} states, traps {m['traps']} "
                  f"({m['distinct']} different, {m['distinct_deep']} deep, {m['real']} real), at "
                  f"{m['trap_steps']} steps, spread {m['spread']}/10; noise "
                  f"{m['noise_parts'] or 'none'}; naive {m['naive']}% and "
                  f"{m['interleaving']}%; {m['tiles']} tiles in {m['pieces']} piece(s), "
                  f"{m['unreachable']} unreachable, {m['unused']}% unused; needs {m['needs']}")
        print()
    return 0


def check(args, solver):
    status = 0
    for path in args.files:
        rows = read_map(path)
        m = solver.measure([rows], ['--needs'], traps=False)[0]
        if not m or not isinstance(m['steps'], int):
            print(f'{path}: cannot be finished')
            status = 1
            continue
        needed = [c for c in CHECKS if holds_many(solver, [rows], c, [m])[0]]
        print(f"{path}: {m['steps']} steps; needs {', '.join(needed) or 'none of the ideas'}")
        if args.explain:
            for line in explain_lines(rows, m['solution']):
                print('    ' + line)
    return status


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument('--solver', required=True, help='the tripath-solve program')
    ap.add_argument('--max-states', type=int, default=3000000)
    sub = ap.add_subparsers(dest='command', required=True)
    s = sub.add_parser('search', help='look for a layout')
    s.add_argument('--chars', default='1', help='characters, e.g. 1,2,3')
    s.add_argument('--check', default='', help='ideas the level must need, e.g. sharing')
    s.add_argument('--avoid', default='', help='ideas the level must not need yet, e.g. exits')
    s.add_argument('--gems', default='1-3', help='gem count range, e.g. 2-4')
    s.add_argument('--target', type=int, required=True, help='wanted number of steps')
    s.add_argument('--tolerance', type=int, default=4, help='steps off the target that are free')
    s.add_argument('--width', type=int, default=11)
    s.add_argument('--height', type=int, default=9)
    s.add_argument('--shared', type=float, default=0.5, help='share of shared path')
    s.add_argument('--loops', type=float, default=0.5, help='chance of extra joins')
    s.add_argument('--worn', type=float, default=0.08,
                   help='share of tiles that start worn (0: none at all)')
    s.add_argument('--seed', type=int, default=1)
    s.add_argument('--restarts', type=int, default=2)
    s.add_argument('--starts', type=int, default=100, help='rounds of random boards to start from')
    s.add_argument('--steps', type=int, default=150, help='rounds of changes per restart')
    s.add_argument('--batch', type=int, default=8, help='changed boards tried per round')
    s.add_argument('--temperature', type=float, default=3.0)
    s.add_argument('--cooling', type=float, default=0.985)
    s.add_argument('--cap', type=int, default=300000, help='solver states a level may need')
    s.add_argument('--most', type=int, help='deep decisions beyond which a board scores less')
    s.add_argument('--start', help='a level source to grow instead of random boards; it must '
                   'hold the idea, and so must every change kept')
    s.add_argument('--title', default='')
    s.add_argument('--idea', default='')
    s.add_argument('--out')
    t = sub.add_parser('tune', help='change a level until it meets the targets of its row')
    t.add_argument('file', help='the level source; rewritten unless --out is given')
    t.add_argument('--level', type=int, required=True, help='its number, for its targets')
    t.add_argument('--least', type=int, help='fewest decisions wanted (default: by its place)')
    t.add_argument('--most', type=int, help='most decisions wanted (default: by its place)')
    t.add_argument('--more-gems', type=int, default=1, help='gems it may gain')
    t.add_argument('--check', default='',
                   help='ideas or families the level must keep needing, e.g. "home base"')
    t.add_argument('--no-thin', dest='thin', action='store_false',
                   help='never make a tile start worn')
    t.add_argument('--seed', type=int, default=1)
    t.add_argument('--steps', type=int, default=40, help='rounds of changes')
    t.add_argument('--batch', type=int, default=10, help='changed boards tried per round')
    t.add_argument('--keep', type=int, default=2, help='of those, how many get the full measures')
    t.add_argument('--temperature', type=float, default=2.0)
    t.add_argument('--cooling', type=float, default=0.95)
    t.add_argument('--cap', type=int, default=300000, help='solver states a level may need')
    t.add_argument('--out')
    for name, text in (('prune', 'take away the decoration and the noisy dead ends of a level'),
                       ('compact', 'squeeze corridors shorter, then prune'),
                       ('denoise', 'take away the parts that are noise, one at a time')):
        p = sub.add_parser(name, help=text)
        p.add_argument('file', help='the level source; rewritten unless --out is given')
        p.add_argument('--out')
    for name, text in (('show', 'draw levels with their measures'),
                       ('check', 'tell which ideas levels need')):
        p = sub.add_parser(name, help=text)
        p.add_argument('files', nargs='+')
        if name == 'show':
            p.add_argument('--colour', action='store_true', help='draw in terminal colours')
        else:
            p.add_argument('--explain', action='store_true',
                           help='also tell what the shortest solution does, step by step')
    args = ap.parse_args()
    solver = Solver(args.solver, args.max_states)
    return {'search': search, 'show': show, 'check': check, 'tune': tune,
            'prune': prune, 'compact': compact, 'denoise': denoise}[args.command](args, solver)


if __name__ == '__main__':
    sys.exit(main())
