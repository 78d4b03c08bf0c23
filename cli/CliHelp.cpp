#include "cli/CliHelp.h"

QString CliHelpText() {
    return QStringLiteral(R"HELP(Usage:
  road-import --source CONN --dest CONN (--titles CODES | --all-titles) --save yes|no
              [--on-duplicate cancel|ignore] [--timeout SECONDS] [--log FILE]
              [--source-password-env VAR | --source-password-file FILE]
              [--dest-password-env VAR | --dest-password-file FILE] [--summary FILE]
              [--key-map FILE]
  road-import --source CONN --list-titles [--timeout SECONDS] [--log FILE]
              [--source-password-env VAR | --source-password-file FILE]
  road-import --help

Copies road titles (rows of the table "Титул") with every row that depends on them
from the source database into the destination database of the same schema, in one
destination transaction, exactly as the import window's "Начать" does. The window's
questions are answered by the options below. Options may also be written --name=VALUE.

Connections:
  --source CONN, --dest CONN
      Connection strings in the connection frame's format, for example
        Provider=SQLite;Location=/path/source.db
        Provider=SQLOLEDB.1;Data Source=host;Initial Catalog=db;User ID=u;Password=p
        Provider=PostgreSQL;Data Source=host:5432;Location=db;User ID=u;Password=p
      A value that holds ";" or a double quote, starts with a quote or has blanks
      around it is written in double quotes, a double quote inside doubled:
        Password="a;b""c"   is the password   a;b"c
      A password written into CONN can be read by every user of the machine (the
      process list, the shell history); keep it out of CONN with one of these:
  --source-password-env VAR, --dest-password-env VAR
      Take the connection's password from the environment variable VAR.
  --source-password-file FILE, --dest-password-file FILE
      Take the connection's password from the first line of FILE, which must belong
      to the user and be closed to everyone else (chmod 600).
      Without either, when CONN names a user (User ID) but no password and standard
      input is a terminal, the password is asked for there, without echo.
      The password is never shown in a message or written to the diagnostic log.
  --timeout SECONDS
      Command timeout of both connections, 30 to 3600 (default 30); also the time
      each connection may take to open, login included.

Titles:
  --list-titles
      Print the source's title list, one title per line in the order of the codes:
      the code (Код_титула), a tab, the name. Nothing is imported.
  --titles CODES
      Import the titles with these codes, separated by commas (e.g. --titles 3,7,12).
      They are taken in the order of the title list, whatever their order here.
      A code the list does not hold is a usage error.
  --all-titles
      Import every title of the list.

Questions:
  --save yes|no
      The answer to "Импорт прошел успешно, сохранить?": yes commits the import,
      no rolls it back.
  --on-duplicate cancel|ignore
      The answer to the box listing chosen titles whose names the destination already
      holds: cancel (the default) refuses the run; ignore imports the other titles.
      When ignoring leaves the same titles reported again, the run is refused.

Output:
  Standard output receives the lines of the window's log memo, one per line, as they
  are written (UTF-8): "Создаем GUID-ы", "Импорт таблицы Титул - 3 записей", ..., and
  at the end "Импорт прошел успешно!" with "Импортировано N таблиц", or "Ошибка импорта".
  Standard error receives the message boxes with their title ("Ошибка: ...",
  "Подтверждение: ...") followed by the answer given ("-> Да (--save yes)"), usage and
  connection errors, and, only when it is a terminal, one progress line redrawn in
  place while the copy runs: the table, its rows, "(i из n)" for the table's place
  among all, and the rows done so far of the table's rows.
  When the import fails, standard error also names the diagnostic log, which holds
  the cause.
  Just before "Импорт прошел успешно, сохранить?" the memo shows a table of what the
  run did, per table that had any row: rows added ("Добавлено"), found in the
  destination and reused ("Найдено"), found and updated ("Обновлено"), failed
  ("Ошибок", each kind named on a line of its own below the table), and, of the added
  and found ones, those pulled in through a reference ("По ссылке"); then a total.
  --summary FILE
      Once the run has ended, write the same counts to FILE as JSON: "outcome" (saved,
      declined, stopped, failed, or refused when the preparation refused the run),
      "titles" (code, name and "dest_code", the title's code in the destination, of
      each title of the run; dest_code is null unless the run was saved), "tables" (per
      table: inserted, reused, updated, failed, failures by kind, pulled_in) and "total".
      A FILE that cannot be written is a usage error before anything runs.
  --key-map FILE
      Once the run has ended, whatever the end, FILE holds one CSV line (UTF-8) per
      source row the run handled, in the order handled, after the header
        table,source_key,dest_key,outcome,failure,pulled_in
      outcome: inserted, reused (found in the destination), updated, or failed, with
      its kind in failure (key, reference, value, probe, insert, update) and an empty
      dest_key; pulled_in: yes for a row pulled in through a reference (the summary's
      pulled_in counts those that did not fail), else no. After a run that was not
      saved, the destination keys are those the rolled-back run had given. A FILE that
      cannot be written is a usage error before anything runs; one whose writing fails
      at the end is named on standard error with the reason (exit status 5 after a
      clean save; the same for --summary) and left as it was, never cut short. A named
      pipe or a device is written only at the end, opened without waiting for a reader:
      a pipe that nobody reads by then is reported, not waited for.
  --log FILE
      The diagnostic log file. Default: this program's path with the extension ".log";
      for a program installed in a bin folder (such as /usr/bin), or where that file
      cannot be written, road-import/road-import.log in $XDG_STATE_HOME, else in
      ~/.local/state. It must be writable; should writing it fail later (a full
      disk), logging switches off and standard error says so once.

Interrupting:
  SIGINT (Ctrl+C) or SIGTERM during the import acts as the window's "Отмена": the next
  check stops the copy, "Операция прервана пользователем. Продолжить?" is answered No
  and "Сохранить уже перенесенные данные?" No, so nothing is saved and the temporary
  GUID columns and section link are removed again; the exit status is 1. An interrupt
  during the preparation stops the run at its first check; one that comes after the
  last check still declines the save. A second SIGINT or SIGTERM ends the program at
  once: the database then discards the open transaction, but the temporary GUID
  columns may stay in both databases until a later run removes them.

Databases in use:
  One import at a time per database: a run claims its source and its destination
  before it changes either, and a run that finds either claimed by another import
  (the window or another road-import) ends at once, changing nothing. The claim goes
  with the run's process, however it ends. A database locked by another program is
  waited for up to the command timeout; then the run ends without waiting again,
  rolls back and removes what it can of its temporary changes. Both end with
  "Ошибка: " and a message naming the database, and exit status 1.

Exit status:
  0  the import was saved (with --list-titles: the list was printed)
  1  the import failed, was stopped or was not saved (--save no); a database was
     in use by another import or program, or its connection was lost
  2  usage error (an unwritable --log FILE, an unset password variable, a password
     file that others may read included); a connection that cannot be opened (the
     driver's text is shown);
     a source whose title list cannot be read
  3  the run was refused: no title chosen, or titles already in the destination
     and --on-duplicate cancel
  4  the import was saved, but rows of it failed and were not copied (each one is
     named in the output: "Не удалось добавить запись в таблицу ..."); the output
     still ends in "Импорт прошел успешно!"
  5  the import was saved and no row failed, but a report file (--summary,
     --key-map) could not be written at the end; standard error names it (after any
     other end the status stays that end's)
)HELP");
}
