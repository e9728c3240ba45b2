#pragma once
// How a column compares its cells when the grid sorts by it.  A column
// without its own setting sorts with skAutomatic.
enum TGridSortKind {
    skNone,
    skAutomatic,
    skText,
    skTextCaseSensitive,
    skNumeric,
    skDateTime,
    skCurrency,
};
