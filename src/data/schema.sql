-- The shop's database: products, the cart, archived sale lines, sale summaries,
-- operators and the login log. Text columns compare without regard to Latin letter case.
-- Statements are separated by lines that end in a semicolon.

CREATE TABLE sp (
  "商品编码" VARCHAR(255) COLLATE NOCASE,
  "商品类别" VARCHAR(255) COLLATE NOCASE,
  "商品名称" VARCHAR(255) COLLATE NOCASE,
  "规格型号" VARCHAR(255) COLLATE NOCASE,
  "进货单价" DOUBLE,
  "销售单价" DOUBLE,
  "会员价" DOUBLE,
  "单位" VARCHAR(255) COLLATE NOCASE,
  "供货商" VARCHAR(255) COLLATE NOCASE,
  "ghspy" VARCHAR(255) COLLATE NOCASE,
  "sppy" VARCHAR(255) COLLATE NOCASE,
  "lbpy" VARCHAR(255) COLLATE NOCASE
);

CREATE TABLE data (
  "id" INTEGER PRIMARY KEY AUTOINCREMENT,
  "a" VARCHAR(255) COLLATE NOCASE,
  "b" VARCHAR(255) COLLATE NOCASE,
  "c" VARCHAR(255) COLLATE NOCASE,
  "d" VARCHAR(20) COLLATE NOCASE,
  "e" VARCHAR(255) COLLATE NOCASE,
  "f" VARCHAR(255) COLLATE NOCASE,
  "g" VARCHAR(20) COLLATE NOCASE,
  "h" VARCHAR(20) COLLATE NOCASE,
  "i" VARCHAR(20) COLLATE NOCASE,
  "z" VARCHAR(20) COLLATE NOCASE,
  "1" DOUBLE,
  "2" DOUBLE,
  "3" DOUBLE,
  "4" DOUBLE,
  "5" DOUBLE,
  "6" DOUBLE,
  "7" DOUBLE,
  "8" DOUBLE,
  "9" DOUBLE,
  "day1" DATE,
  "day6" DATE
);

CREATE TABLE data1 (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "a" VARCHAR(20) COLLATE NOCASE,
  "b" VARCHAR(20) COLLATE NOCASE,
  "c" VARCHAR(20) COLLATE NOCASE,
  "d" VARCHAR(20) COLLATE NOCASE,
  "e" VARCHAR(20) COLLATE NOCASE,
  "f" VARCHAR(20) COLLATE NOCASE,
  "g" VARCHAR(20) COLLATE NOCASE,
  "h" VARCHAR(20) COLLATE NOCASE,
  "i" VARCHAR(20) COLLATE NOCASE,
  "j" VARCHAR(20) COLLATE NOCASE,
  "k" VARCHAR(20) COLLATE NOCASE,
  "l" VARCHAR(20) COLLATE NOCASE,
  "m" VARCHAR(20) COLLATE NOCASE,
  "n" VARCHAR(20) COLLATE NOCASE,
  "o" VARCHAR(20) COLLATE NOCASE,
  "p" VARCHAR(20) COLLATE NOCASE,
  "q" VARCHAR(20) COLLATE NOCASE,
  "r" VARCHAR(20) COLLATE NOCASE,
  "s" VARCHAR(20) COLLATE NOCASE,
  "t" VARCHAR(20) COLLATE NOCASE,
  "u" VARCHAR(20) COLLATE NOCASE,
  "v" VARCHAR(20) COLLATE NOCASE,
  "w" VARCHAR(20) COLLATE NOCASE,
  "x" VARCHAR(20) COLLATE NOCASE,
  "y" VARCHAR(20) COLLATE NOCASE,
  "z" VARCHAR(20) COLLATE NOCASE,
  "1" DOUBLE,
  "2" DOUBLE,
  "3" DOUBLE,
  "4" DOUBLE,
  "5" DOUBLE,
  "6" DOUBLE,
  "7" DOUBLE,
  "8" DOUBLE,
  "9" DOUBLE,
  "day1" DATE,
  "day2" DATE,
  "day3" DATE,
  "day4" DATE,
  "day5" DATE,
  "day6" DATE,
  "a5" INTEGER
);

CREATE TABLE data3 (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "a" VARCHAR(20) COLLATE NOCASE,
  "b" VARCHAR(20) COLLATE NOCASE,
  "c" VARCHAR(20) COLLATE NOCASE,
  "d" VARCHAR(20) COLLATE NOCASE,
  "e" VARCHAR(20) COLLATE NOCASE,
  "f" VARCHAR(20) COLLATE NOCASE,
  "g" VARCHAR(20) COLLATE NOCASE,
  "h" VARCHAR(20) COLLATE NOCASE,
  "i" VARCHAR(20) COLLATE NOCASE,
  "j" VARCHAR(20) COLLATE NOCASE,
  "k" VARCHAR(20) COLLATE NOCASE,
  "l" VARCHAR(20) COLLATE NOCASE,
  "m" VARCHAR(20) COLLATE NOCASE,
  "n" VARCHAR(20) COLLATE NOCASE,
  "o" VARCHAR(20) COLLATE NOCASE,
  "p" VARCHAR(20) COLLATE NOCASE,
  "q" VARCHAR(20) COLLATE NOCASE,
  "r" VARCHAR(20) COLLATE NOCASE,
  "s" VARCHAR(20) COLLATE NOCASE,
  "t" VARCHAR(20) COLLATE NOCASE,
  "u" VARCHAR(20) COLLATE NOCASE,
  "v" VARCHAR(20) COLLATE NOCASE,
  "w" VARCHAR(20) COLLATE NOCASE,
  "x" VARCHAR(20) COLLATE NOCASE,
  "y" VARCHAR(20) COLLATE NOCASE,
  "z" VARCHAR(20) COLLATE NOCASE,
  "1" DOUBLE,
  "2" DOUBLE,
  "3" DOUBLE,
  "4" DOUBLE,
  "5" DOUBLE,
  "6" DOUBLE,
  "7" DOUBLE,
  "8" DOUBLE,
  "9" DOUBLE,
  "day1" DATE,
  "day2" DATE,
  "day3" DATE,
  "day4" DATE,
  "day5" DATE,
  "day6" DATE
);

CREATE TABLE userdb (
  "username" VARCHAR(50) COLLATE NOCASE,
  "passwd" VARCHAR(50) COLLATE NOCASE
);

CREATE TABLE rz (
  "id" INTEGER PRIMARY KEY AUTOINCREMENT,
  "username" VARCHAR(50) COLLATE NOCASE,
  "btime" DATETIME,
  "jtime" DATETIME
);

-- Lookups and filters: code at the till and in the catalogue, the cart merge key,
-- sale number, operator, code and date filters of the sales records, login by name.
-- The date index also holds quantity, amount and profit, so the sales records' sums
-- are read from the index instead of the rows.
CREATE INDEX sp_code ON sp ("商品编码");
CREATE INDEX sp_category ON sp ("商品类别");
CREATE INDEX sp_name ON sp ("商品名称");
CREATE INDEX sp_supplier ON sp ("供货商");
CREATE INDEX data_code ON data ("c");
CREATE INDEX data1_sale ON data1 ("h");
CREATE INDEX data1_day ON data1 ("day1", "2", "6", "7");
CREATE INDEX data1_code ON data1 ("c");
CREATE INDEX data1_category ON data1 ("d");
CREATE INDEX data1_operator ON data1 ("i");
CREATE INDEX data3_sale ON data3 ("a");
CREATE INDEX data3_day ON data3 ("day1");
CREATE INDEX userdb_name ON userdb ("username");

-- Small key/value store of the program's own (the current sale number and counter).
CREATE TABLE app_state (
  "key" VARCHAR(50) PRIMARY KEY,
  "value" VARCHAR(255)
);
