// Replays games as vimochess-match -out writes them (result|starting FEN|moves|...) by chessops'
// own rules: every move must be legal, and a game that ended by mate or stalemate must end so.
//
//   node replay.mjs [--chess960] GAMES
import { readFileSync } from 'node:fs';
import { Chess } from 'chessops/chess';
import { parseFen } from 'chessops/fen';
import { parseUci } from 'chessops';

const args = process.argv.slice(2);
const chess960 = args.includes('--chess960');
const lines = readFileSync(args.filter((a) => a !== '--chess960')[0], 'utf8').split('\n').filter(Boolean);
let illegal = 0, moves = 0;
for (const [n, line] of lines.entries()) {
  const [result, fen, played] = line.split('|');
  const pos = Chess.fromSetup(parseFen(fen).unwrap(), { chess960 }).unwrap();
  for (const text of played.split(' ').filter(Boolean)) {
    const move = parseUci(text);
    if (!move || !pos.isLegal(move)) { illegal++; console.log(`game ${n + 1}: illegal ${text}`); break; }
    pos.play(move), moves++;
  }
  if (pos.isCheckmate() && result !== (pos.turn === 'white' ? '0-1' : '1-0')) console.log(`game ${n + 1}: mate, yet ${result}`), illegal++;
}
console.log(`${lines.length} games, ${moves} moves replayed by chessops, ${illegal} faults`);
process.exit(illegal ? 1 : 0);
