#pragma once
// Figures of the sales records window and the sales slip: sales-open, sales-month,
// sales-all, sales-keystroke, chart-month, chart-day, slip.

// Runs them on the shop already in data.db (adding sale summaries when it has none) and
// prints one line per figure: NAME p50_ms=X p99_ms=Y base_ms=Z ratio=R.
void RunSalesFigures();
