#pragma once
// Figures of the product window, the lookup dialog, the workbook import and the export:
// product-keystroke, lookup-keystroke, product-list, import, export.

// Runs them on the shop already in data.db and prints one line per figure:
// NAME p50_ms=X p99_ms=Y base_ms=Z ratio=R.
void RunCatalogueFigures();
