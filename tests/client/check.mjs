// The UCI engine through clients nobody here wrote: node-uci drives it and parses every line it
// says, chessops judges every move by its own rules. Analysis with several lines, searchmoves,
// mate search, and Chess960 games against Stockfish. Prints what it found; exits 1 on any fault.
//
//   node check.mjs VIMOCHESS-UCI STOCKFISH [GAMES]
import { Engine } from 'node-uci';
import { Chess } from 'chessops/chess';
import { parseFen, makeFen } from 'chessops/fen';
import { parseUci } from 'chessops';

const [enginePath, stockfishPath, gamesText] = process.argv.slice(2);
const games = Number(gamesText || 10);
let faults = 0;
const fault = (text) => { faults++; console.log(`  FAULT: ${text}`); };

// Plays the moves on a copy of the position; the position after them, or null at an illegal one.
function play(fen, moves, chess960 = false) {
  const pos = Chess.fromSetup(parseFen(fen).unwrap(), { chess960 }).unwrap();
  for (const text of moves) {
    const move = parseUci(text);
    if (!move || !pos.isLegal(move)) return null;
    pos.play(move);
  }
  return pos;
}

const engine = new Engine(enginePath);
await engine.init();

// Analysis: three lines a depth, every line legal, the lines' first moves distinct.
const middlegame = 'r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19';
await engine.setoption('MultiPV', 3);
await engine.isready();
await engine.position(middlegame);
let result = await engine.go({ depth: 9 });
const lines = result.info.filter((i) => i.pv && i.multipv);
for (const depth of new Set(lines.map((i) => i.depth))) {
  const atDepth = lines.filter((i) => i.depth === depth);
  const firsts = new Set(atDepth.map((i) => i.pv.split(' ')[0]));
  if (atDepth.length !== 3 || firsts.size !== 3) fault(`depth ${depth}: ${atDepth.length} lines, ${firsts.size} first moves`);
}
for (const i of lines) if (!play(middlegame, i.pv.split(' '))) fault(`an illegal line: ${i.pv}`);
if (!play(middlegame, [result.bestmove])) fault(`an illegal bestmove ${result.bestmove}`);
console.log(`MultiPV 3: ${lines.length} lines, bestmove ${result.bestmove}`);
await engine.setoption('MultiPV', 1);

// searchmoves: the answer one of those listed.
await engine.position('startpos');
result = await engine.go({ depth: 7, searchmoves: ['a2a3', 'h2h3'] });
if (!['a2a3', 'h2h3'].includes(result.bestmove)) fault(`searchmoves answered ${result.bestmove}`);
console.log(`searchmoves a2a3 h2h3: ${result.bestmove}`);

// Mate search: the line told ends in mate, as chessops sees it.
const mateInTwo = 'kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1';
await engine.position(mateInTwo);
result = await engine.go({ mate: 2 });
const last = result.info.filter((i) => i.score && i.pv).pop();
const end = last && play(mateInTwo, last.pv.split(' '));
if (!last || last.score.unit !== 'mate' || last.score.value !== 2 || !end || !end.isCheckmate())
  fault(`go mate 2: ${JSON.stringify(last)}`);
console.log(`go mate 2: ${result.bestmove}, score ${last && last.score.unit} ${last && last.score.value}, line ${last && last.pv}`);
await engine.quit();

// Chess960 games against Stockfish at a low level, each move judged by chessops.
const opponent = new Engine(stockfishPath);
const player = new Engine(enginePath);
for (const e of [opponent, player]) {
  await e.init();
  await e.setoption('UCI_Chess960', true);
}
await opponent.setoption('UCI_LimitStrength', true);
await opponent.setoption('UCI_Elo', 1350);
const outcomes = {};
for (let g = 0; g < games; g++) {
  // Starting positions spread over the numbering, VimoChess White in the even games.
  const n = (g * 97 + 11) % 960;
  const start = chess960Start(n);
  const sides = g % 2 === 0 ? [player, opponent] : [opponent, player];
  for (const e of sides) { await e.ucinewgame(); await e.isready(); }
  const moves = [];
  let pos = play(start, [], true), reason = null;
  while (!reason) {
    const outcome = pos.outcome();
    if (outcome) { reason = outcome.winner ? `${outcome.winner} wins` : 'draw'; break; }
    if (pos.halfmoves >= 100 || moves.length >= 300) { reason = 'draw by length'; break; }
    const mover = sides[moves.length % 2];
    await mover.position(start, moves);
    const answer = await mover.go({ nodes: 20000 });
    const next = play(start, [...moves, answer.bestmove], true);
    if (!next) { fault(`game ${g + 1}: ${mover === player ? 'VimoChess' : 'Stockfish'} played an illegal ${answer.bestmove} after ${moves.join(' ')}`); reason = 'illegal'; break; }
    moves.push(answer.bestmove);
    pos = next;
  }
  outcomes[reason] = (outcomes[reason] || 0) + 1;
}
for (const e of [opponent, player]) await e.quit();
console.log(`Chess960: ${games} games, ${JSON.stringify(outcomes)}`);

function chess960Start(n) {
  const files = Array(8).fill(null);
  files[2 * (n % 4) + 1] = 'b'; n = Math.floor(n / 4);
  files[2 * (n % 4)] = 'b'; n = Math.floor(n / 4);
  const place = (piece, k) => { const empty = files.map((f, i) => f ? -1 : i).filter((i) => i >= 0); files[empty[k]] = piece; };
  place('q', n % 6); n = Math.floor(n / 6);
  const knights = [[0, 0], [0, 1], [0, 2], [0, 3], [1, 1], [1, 2], [1, 3], [2, 2], [2, 3], [3, 3]][n];
  place('n', knights[0]); place('n', knights[1]);
  place('r', 0); place('k', 0); place('r', 0);
  const rank = files.join('');
  const rooks = files.map((f, i) => f === 'r' ? 'ABCDEFGH'[i] : '').filter(Boolean).reverse().join('');
  return `${rank}/pppppppp/8/8/8/8/PPPPPPPP/${rank.toUpperCase()} w ${rooks}${rooks.toLowerCase()} - 0 1`;
}

console.log(faults ? `${faults} faults` : 'no fault');
process.exit(faults ? 1 : 0);
