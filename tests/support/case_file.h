#pragma once
// A case file: what the database and the folders hold, what the program
// does, and what must come out. Line by line:
//
//   # a comment
//   directive arguments...
//       an indented block that belongs to the directive above it
//
// Setup: `include FILE` (directives of a shared file, relative to the case),
// `sql` (a block of statements, each ending with ";" at a line's end), `set
// FIELD VALUE` (a setting, with the escapes of TEXT; txtPasta names a folder
// in the scratch folder), `store KEY VALUE` (the per-user store), `clock
// dd/mm/yyyy hh:mm:ss` or `clock +MS` (moved on), `file NAME TEXT` (a request
// file in the monitored folder, written in Windows-1252 with mode 0644; NAME
// with the escapes of TEXT), `home-file NAME TEXT` (in the program folder),
// `home-dir PATH` / `home-remove PATH` (a folder made, a file or folder
// removed, in the program folder), `refuse PRINTER` (the printing system
// refuses its documents: "fila parada"), `break PRINTER TEXT` (printing its
// line that starts with TEXT fails: "Impressora desligada"), `accept PRINTER`
// (neither any more), `record PROCEDURE` (the procedure only logs "[PROCEDURE
// args]", empty arguments and the monitored folder left out, a file in it by
// its name; `record PROCEDURE refused`: a printing procedure that reports its
// document refused), `fail-deletes N` (the next N deletions fail),
// `lose-connection` (the next commit fails as a lost connection), `log-waits`
// (from here on each wait of the clock adds the event line "[wait MS: the
// monitored folder's names]"), `on-wait` (a block of statements, as `sql`,
// run when the clock next waits), `current NAME NUMBER` (the file and number
// being handled, as the scan sets them before a call).
// Setup also: `on-statement TEXT` (a block of statements, as `sql`, run just
// before the program next sends a statement that begins with TEXT), `session`
// (a block of statements on the program's own connection, such as a session
// setting, with the escapes of TEXT; not shown by `expect sql`), `fail
// PROCEDURE` (its next call logs "[PROCEDURE args falhou]" and throws an
// error; the calls after it are its own again), `chmod MODE NAME` (a program
// folder file's permissions, in octal), `processes NAME...` (the running
// processes), `real-commands` (commands run for real, with the real Net
// lookup), `link TARGET NAME` (a symbolic link in the program folder), `chown
// UID NAME` (a program folder file given away; the case is skipped unless run
// as root), `path TEXT` (PATH for the rest of the case; $PATH is the test's
// own), `server down|up` (while down every statement fails as a lost
// connection), `timer on|off` (the scan's timer switched by hand).
// In `file` and `home-file` texts, {pasta} is the scratch folder.
// Action: `do ACTION ARGS...`; `do load` is the window's loading (the result
// is Pronto, Terminal, AguardandoBanco or ServidorIncompativel; when it is
// done the event line "[carregado]"), `do resume` (the work the monitor
// scheduled for later), `do iniciar` (the start/stop button), `do arrival`
// (a request arrived in the monitored folder).
// Expectations, each against what happened since the same kind was last
// checked: `expect events` (block: the new event lines), `expect printer
// NAME` (its new documents equal the golden file CASE.NAME.txt; none: no
// golden file and `expect no printer NAME`), `expect font NAME
// FONT|SIZE|BOLD`, `expect file NAME TEXT` / `expect file NAME @` (golden
// CASE.NAME) / `expect no file NAME`, `expect files` (block: the monitored
// folder's names), `expect rows SQL` (block: rows, columns joined by "|",
// NULL for a null), `expect sql` (block: the statements the program sent),
// `expect label` (the last label the port etiqueta.prn received equals the
// golden CASE.etiqueta.prn) / `expect label TEXT` / `expect no label`,
// `expect printed`
// (block: the list of printed items), `expect result VALUE` (what the last
// action returned; "throws MESSAGE" when it threw, which the next directive
// must expect), `expect waits` (block: the clock's waits in ms), `expect
// timer on|off` (the scan's timer), `expect commands` (block: the command
// lines the program ran), `expect exit STATUS` (the status the monitor
// ended the program with, or none), `expect monitor` (block: the caption,
// the pause, the timer, the exports pending and the delays of the work
// scheduled), `expect messages` (block: "TITLE: TEXT" of each message box
// shown), `expect settings [FIELD...]` (block: the
// settings as loaded, all or those named; texts between quotes). In an
// expected block, "(N times) LINE" stands for N such lines. The
// scratch folder reads {pasta} in event lines, statements and printed items,
// and the driver's and server's versions before a server's message
// "{servidor}".
// With VARELO_ATUALIZA_ESPERADOS=1 the runner writes what came out into
// the golden files and the blocks, to be read in the diff before a commit.
//
// In TEXT, \r \n \t \\, \s (a space) and \xHH (that byte, in a `file`
// the byte on disk) are escapes.
#include <string>
#include <vector>

namespace varelo::casos {

struct Diretiva {
    std::string nome;                  // the first word
    std::vector<std::string> args;     // the rest, split at spaces
    std::string resto;                 // the rest of the line as written
    std::vector<std::string> bloco;    // the indented lines below it
    std::string origem;                // the file it stands in
    int linha = 0;                     // and its line
};

// Replaces the indented block below the directive at line `linha` of
// `origem` (the update mode of the runner).
void ReescreveBloco(const std::string& origem, int linha, const std::vector<std::string>& bloco);

// The directives of a case file, includes resolved.
std::vector<Diretiva> LeCaso(const std::string& caminho);

// A TEXT argument with its escapes resolved.
std::string Desescapa(const std::string& texto);

// Every `de` in `texto` replaced by `para`.
std::string Troca(std::string texto, const std::string& de, const std::string& para);

// The path of `relativo` in the source tree (VARELO_SOURCE_DIR, else ".").
std::string DoProjeto(const std::string& relativo);

}  // namespace varelo::casos
