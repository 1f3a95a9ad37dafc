-- The table of the example agent "Quotes to database": one row per quote
-- and run. examples/quotes.db is this table in an SQLite file; for another
-- database, run this file there first (for PostgreSQL: psql -f quotes.sql).
CREATE TABLE quotes (
    symbol TEXT NOT NULL,
    price NUMERIC,
    taken TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP
);
