#!/usr/bin/env python3
"""Design aid for Tripath levels: proposes corridor layouts for a level,
checks each with tripath-solve and keeps the one that best fits the wanted
number of steps and really needs the level's idea.

    design_levels.py --solver build/tools/solver/tripath-solve \
        --chars 1,2,3 --checks worn,sharing --width 16 --height 13 --spacing 3 \
        --target 70 --seed 7 --out levels/36.txt

The result is an ordinary level source; edit it by hand afterwards as
needed and store its solution with `tripath-solve --write N`. The checks
(wear, worn, exits, sharing, order) are described beside RECIPES.
"""

import argparse
import os
import random
import re
import subprocess
import sys
import tempfile

PATH = {0: '#', 1: 'p', 2: 'l', 3: 'o'}
WORN = {0: '+', 1: 'q', 2: 'i', 3: 'u'}
START = {1: 'P', 2: 'L', 3: 'O'}
EXIT = {1: '1', 2: '2', 3: '3'}

# What each recipe builds, and which checks prove that its idea matters:
#   wear     the shortest solution is longer than if paths never wore
#   worn     tiles that start worn make the level longer: the generator
#            wears down tiles that the shortest solution leaves more than
#            once, one at a time, keeping each change that makes the level
#            longer but still solvable
#   exits    crossing another character's exit is needed or saves steps
#   sharing  two characters standing on one tile is needed or saves steps
#   order    the characters cannot each make all their moves in one turn
RECIPES = {
    'worn': dict(chars=[1], shared=0.0, gems=(1, 3), loops=0.5, checks=['worn']),
    'worn2': dict(chars=[1, 2], shared=0.4, gems=(1, 3), loops=0.5, checks=['worn']),
    'exits': dict(chars=[1, 2], shared=0.3, gems=(1, 3), loops=0.5, checks=['worn', 'exits']),
    'sharing': dict(chars=[1, 2], shared=0.6, gems=(1, 3), loops=0.5, checks=['worn', 'sharing']),
    'mix': dict(chars=[1, 2, 3], shared=0.5, gems=(2, 4), loops=0.5, checks=['worn']),
    'mix-exits': dict(chars=[1, 2, 3], shared=0.4, gems=(2, 4), loops=0.5, checks=['worn', 'exits']),
    'mix-sharing': dict(chars=[1, 2, 3], shared=0.6, gems=(2, 4), loops=0.5,
                        checks=['worn', 'sharing']),
}


def grow_tree(rng, nw, nh, count):
    """A random tree of `count` lattice nodes, plus the lattice edges."""
    start = (rng.randrange(nw), rng.randrange(nh))
    nodes = {start}
    edges = set()
    frontier = []

    def add_frontier(n):
        x, y = n
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            m = (x + dx, y + dy)
            if 0 <= m[0] < nw and 0 <= m[1] < nh:
                frontier.append((n, m))

    add_frontier(start)
    while len(nodes) < count and frontier:
        a, b = frontier.pop(rng.randrange(len(frontier)))
        if b in nodes:
            continue
        nodes.add(b)
        edges.add(frozenset((a, b)))
        add_frontier(b)
    return nodes, edges


def propose(rng, width, height, recipe, spacing=2):
    nw, nh = (width + spacing - 1) // spacing, (height + spacing - 1) // spacing
    count = max(4, int(nw * nh * rng.uniform(0.55, 0.85)))
    nodes, edges = grow_tree(rng, nw, nh, count)
    for n in nodes:
        x, y = n
        for m in ((x + 1, y), (x, y + 1)):
            if m in nodes and frozenset((n, m)) not in edges and rng.random() < recipe['loops']:
                edges.add(frozenset((n, m)))
    chars = recipe['chars']
    adjacency = {n: [] for n in nodes}
    for e in edges:
        a, b = tuple(e)
        adjacency[a].append(b)
        adjacency[b].append(a)
    degree = {n: len(adjacency[n]) for n in nodes}
    leaves = [n for n in nodes if degree[n] == 1]
    others = [n for n in nodes if degree[n] != 1]
    rng.shuffle(leaves)
    rng.shuffle(others)
    spots = leaves + others
    gems = rng.randint(*recipe['gems'])
    if len(spots) < 2 * len(chars) + gems:
        return None
    marks = {}
    for c in chars:
        marks[spots.pop(0)] = START[c]
        marks[spots.pop(0)] = EXIT[c]
    gem_nodes = [spots.pop(0) for _ in range(gems)]
    for n in gem_nodes:
        marks[n] = '*'

    def route(a, b):
        # Breadth-first route between two nodes over the corridors.
        prev = {a: None}
        queue = [a]
        for n in queue:
            if n == b:
                break
            for m in adjacency[n]:
                if m not in prev:
                    prev[m] = n
                    queue.append(m)
        path = []
        while b is not None:
            path.append(b)
            b = prev[b]
        return path

    # Each character's own route from start to exit, and a route from a
    # character to each gem, are walkable by that character: they are its
    # own path, or shared where two routes meet.
    owner_of_edge = {}

    def claim(path, c):
        for a, b in zip(path, path[1:]):
            e = frozenset((a, b))
            if e not in owner_of_edge:
                owner_of_edge[e] = 0 if rng.random() < recipe['shared'] else c
            elif owner_of_edge[e] != c:
                owner_of_edge[e] = 0

    start_of = {c: next(n for n, m in marks.items() if m == START[c]) for c in chars}
    exit_of = {c: next(n for n, m in marks.items() if m == EXIT[c]) for c in chars}
    for c in chars:
        claim(route(start_of[c], exit_of[c]), c)
    for n in gem_nodes:
        c = rng.choice(chars)
        claim(route(exit_of[c], n), c)
    for e in edges:
        if e not in owner_of_edge:
            owner_of_edge[e] = 0 if rng.random() < recipe['shared'] else rng.choice(chars)
    sp = spacing
    grid = [['.'] * (sp * (nw - 1) + 1) for _ in range(sp * (nh - 1) + 1)]
    node_owners = {n: set() for n in nodes}
    for e, owner in owner_of_edge.items():
        a, b = sorted(tuple(e))
        node_owners[a].add(owner)
        node_owners[b].add(owner)
        for k in range(1, sp):
            x = a[0] * sp + (b[0] - a[0]) * k
            y = a[1] * sp + (b[1] - a[1]) * k
            grid[y][x] = PATH[owner]
    for n in nodes:
        owners = node_owners[n]
        grid[sp * n[1]][sp * n[0]] = marks.get(n, PATH[owners.pop()] if len(owners) == 1 else '#')
    return [''.join(row).rstrip('.') for row in grid]


class Solver:
    def __init__(self, binary, max_states):
        self.binary = binary
        self.max_states = max_states
        self.dir = tempfile.mkdtemp(prefix='tripath-design-')

    def solve(self, rows, *flags):
        path = os.path.join(self.dir, 'candidate.txt')
        with open(path, 'w') as f:
            f.write('map:\n' + '\n'.join(rows) + '\n')
        out = subprocess.run([self.binary, '--file', path, '--max-states', str(self.max_states)]
                             + list(flags), capture_output=True, text=True)
        lines = out.stdout.strip().splitlines()
        if len(lines) < 2:
            return None, None, 0
        row = lines[1]
        m = re.match(r'\s*\d+\s+.*?\s(\d+x\d+)\s+(\S+)\s+(\d+)\s+(.*)$', row)
        if not m:
            return None, None, 0
        steps = m.group(2)
        states = int(m.group(3))
        if steps == 'none':
            return 'none', None, states
        if steps == '?':
            return 'gave up', None, states
        return int(steps), m.group(4), states


DELTA = {'U': (0, -1), 'D': (0, 1), 'L': (-1, 0), 'R': (1, 0)}


def leaves_per_tile(rows, solution, walkers=None):
    """How often the solution leaves each cell, by (x, y); `walkers`
    receives the set of characters that left each cell."""
    where = {}
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            for c, mark in START.items():
                if ch == mark:
                    where[c] = (x, y)
    counts = {}
    for move in solution.split(','):
        who, d = move.split()
        c = {'P': 1, 'L': 2, 'O': 3}[who]
        x, y = where[c]
        counts[(x, y)] = counts.get((x, y), 0) + 1
        if walkers is not None:
            walkers.setdefault((x, y), set()).add(c)
        where[c] = (x + DELTA[d][0], y + DELTA[d][1])
    return counts


def wear_down(solver, rng, rows, solution, steps, count, target, checks):
    """Turns up to `count` tiles that the shortest solution leaves more than
    once into tiles worn twice. A change is kept when the level stays
    solvable and gets longer, or when one of the level's checks holds that
    did not before (two characters then have to share the tile, say)."""
    rows = [list(r) for r in rows]
    held = {c for c in checks if c != 'worn' and idea_holds(solver, [''.join(r) for r in rows], steps, c)}
    for _ in range(count):
        if steps >= target * 0.95 and len(held) == len([c for c in checks if c != 'worn']):
            break
        walkers = {}
        counts = leaves_per_tile([''.join(r) for r in rows], solution, walkers)
        busy = [t for t, n in counts.items() if n >= 2 and rows[t[1]][t[0]] in PATH.values()]
        rng.shuffle(busy)
        # Tiles that several characters walk come first: wearing those
        # down makes the characters meet.
        busy.sort(key=lambda t: -len(walkers[t]))
        changed = False
        for x, y in busy[:10]:
            old = rows[y][x]
            rows[y][x] = WORN[[k for k, v in PATH.items() if v == old][0]]
            text = [''.join(r) for r in rows]
            new_steps, new_solution, _ = solver.solve(text)
            if isinstance(new_steps, int):
                now = {c for c in checks if c != 'worn' and idea_holds(solver, text, new_steps, c)}
                if new_steps > steps or len(now - held) > 0:
                    steps, solution, held, changed = new_steps, new_solution, now, True
                    break
            rows[y][x] = old
        if not changed:
            break
    return [''.join(r) for r in rows], steps, solution


def enterable(ch, c):
    return (ch in '#+*123' or ch == PATH[c] or ch == WORN[c] or ch == START[c])


def passes(ch):
    return 3 if ch in PATH.values() else 1 if ch in WORN.values() else None


def needs_sharing(rows):
    """True when some path tile must be left more often than it has passes,
    counting for each character only the crossings it cannot avoid (between
    its start, its exit and the gems nobody else can reach). A tile that
    vanishes still lets whoever stands on it step off, so such a level can
    only be done by two characters standing on that tile together."""
    cells = {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch != '.'}
    chars = [c for c in START if any(ch == START[c] for ch in cells.values())]

    def component(c, blocked):
        # Labels of the parts of c's walkable cells once `blocked` is gone.
        label = {}
        for cell in cells:
            if cell in label or cell == blocked:
                continue
            if not enterable(cells[cell], c):
                continue
            label[cell] = cell
            stack = [cell]
            while stack:
                x, y = stack.pop()
                for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                    if n in cells and n not in label and n != blocked and enterable(cells[n], c):
                        label[n] = cell
                        stack.append(n)
        return label

    whole = {c: component(c, None) for c in chars}
    place = {c: {ch: cell for cell, ch in cells.items() if ch in (START[c], EXIT[c])} for c in chars}
    gems = [cell for cell, ch in cells.items() if ch == '*']
    own = {c: [g for g in gems if g in whole[c] and
               all(g not in whole[o] for o in chars if o != c)] for c in chars}
    for tile, ch in cells.items():
        budget = passes(ch)
        if budget is None:
            continue
        demand = 0
        for c in chars:
            if not enterable(ch, c):
                continue
            parts = component(c, tile)
            start, end = parts.get(place[c][START[c]]), parts.get(place[c][EXIT[c]])
            visited = {start, end} | {parts.get(g) for g in own[c]}
            if start == end:
                demand += len(visited) if len(visited) > 1 else 0
            else:
                demand += len(visited) - 1
        if demand > budget:
            return True
    return False


def idea_holds(solver, rows, steps, check):
    if check == 'wear':
        other, _, _ = solver.solve(rows, '--no-wear')
        return isinstance(other, int) and other < steps
    if check == 'worn':
        fresh = [r.replace('+', '#').replace('q', 'p').replace('i', 'l').replace('u', 'o')
                 for r in rows]
        if fresh == rows:
            return False
        other, _, _ = solver.solve(fresh)
        return isinstance(other, int) and other < steps
    if check == 'exits':
        other, _, _ = solver.solve(rows, '--private-exits')
        return other == 'none' or (isinstance(other, int) and other > steps)
    if check in ('sharing', 'order') and needs_sharing(rows):
        # Taking turns cannot hold a tile for someone else either.
        return True
    if check == 'sharing':
        other, _, _ = solver.solve(rows, '--no-sharing')
        return other == 'none' or (isinstance(other, int) and other > steps)
    if check == 'order':
        other, _, _ = solver.solve(rows, '--sequential')
        if other == 'gave up':
            # Taking turns cannot hold a tile for someone else, so a level
            # that cannot be done without sharing a tile needs interleaving.
            apart, _, _ = solver.solve(rows, '--no-sharing')
            return apart == 'none'
        return other == 'none' or (isinstance(other, int) and other > steps)
    raise ValueError(check)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument('--solver', required=True)
    ap.add_argument('--recipe', default='worn', choices=sorted(RECIPES))
    ap.add_argument('--chars', help='characters, e.g. 1,2,3 (overrides the recipe)')
    ap.add_argument('--checks', help='checks, e.g. worn,sharing (overrides the recipe)')
    ap.add_argument('--gems', help='gem count range, e.g. 2-4 (overrides the recipe)')
    ap.add_argument('--shared', type=float, help='share of shared corridors (overrides)')
    ap.add_argument('--loops', type=float, help='chance of extra corridors (overrides)')
    ap.add_argument('--target', type=int, required=True, help='wanted number of steps')
    ap.add_argument('--width', type=int, default=13)
    ap.add_argument('--height', type=int, default=9)
    ap.add_argument('--spacing', type=int, default=2, help='cells from junction to junction')
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--tries', type=int, default=400)
    ap.add_argument('--max-states', type=int, default=400000)
    ap.add_argument('--title', default='')
    ap.add_argument('--idea', default='')
    ap.add_argument('--out')
    args = ap.parse_args()

    recipe = dict(RECIPES[args.recipe])
    if args.chars:
        recipe['chars'] = [int(c) for c in args.chars.split(',')]
    if args.checks:
        recipe['checks'] = args.checks.split(',')
    if args.gems:
        low, high = args.gems.split('-')
        recipe['gems'] = (int(low), int(high))
    if args.shared is not None:
        recipe['shared'] = args.shared
    if args.loops is not None:
        recipe['loops'] = args.loops
    elif {'sharing', 'order'} & set(recipe['checks']):
        # Few loops, so that a worn tile on two characters' ways cannot be
        # walked round.
        recipe['loops'] = 0.15
    rng = random.Random(args.seed)
    solver = Solver(args.solver, args.max_states)
    best = None
    for attempt in range(args.tries):
        rows = propose(rng, args.width, args.height, recipe, args.spacing)
        if rows is None:
            continue
        steps, solution, states = solver.solve(rows)
        if not isinstance(steps, int):
            continue
        if steps < args.target * 0.5:
            continue
        if 'worn' in recipe['checks']:
            rows, steps, solution = wear_down(solver, rng, rows, solution, steps, 8, args.target,
                                              recipe['checks'])
        miss = abs(steps - args.target) / args.target
        if miss > 0.2:
            continue
        # The level's own ideas must hold; tiles that start worn are a
        # bonus unless they are the idea.
        required = [c for c in recipe['checks'] if c != 'worn'] or ['worn']
        if not all(idea_holds(solver, rows, steps, c) for c in required):
            continue
        score = miss + states / 4e6
        if 'worn' in recipe['checks'] and 'worn' not in required:
            score += 0 if idea_holds(solver, rows, steps, 'worn') else 0.1
        if best is None or score < best[0]:
            best = (score, rows, steps, states)
            print(f'try {attempt}: {steps} steps, {states} states', file=sys.stderr)
            if miss < 0.12:
                break
    if best is None:
        print('no layout found', file=sys.stderr)
        return 1
    _, rows, steps, states = best
    text = ''
    if args.title:
        text += f'title: {args.title}\n'
    if args.idea:
        text += f'idea: {args.idea}\n'
    text += 'map:\n' + '\n'.join(rows) + '\n'
    if args.out:
        with open(args.out, 'w') as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    print(f'{steps} steps, {states} states', file=sys.stderr)
    return 0


if __name__ == '__main__':
    sys.exit(main())
