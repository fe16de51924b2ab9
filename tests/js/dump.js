// Prints everything mdb-reader sees in a Jet file as one JSON document:
//   { "password": string|null,
//     "tables": [ { "name", "columns": [{ "name", "type", "size" }],
//                   "rows": [[value, ...], ...] } ] }
// A NULL value is JSON null; a date becomes {"date": ISO string} so that it
// cannot be mistaken for text. Usage: node dump.js FILE [PASSWORD]
"use strict";

const fs = require("fs");

async function main() {
    const [file, password] = process.argv.slice(2);
    if (!file) {
        process.stderr.write("usage: node dump.js FILE [PASSWORD]\n");
        process.exit(2);
    }
    const { default: MDBReader } = await import("mdb-reader");
    const reader = new MDBReader(fs.readFileSync(file), password ? { password } : {});
    const out = { password: reader.getPassword(), tables: [] };
    for (const name of reader.getTableNames()) {
        const table = reader.getTable(name);
        const columns = table.getColumns();
        const rows = table.getData().map((row) =>
            columns.map((c) => {
                const v = row[c.name];
                return v instanceof Date ? { date: v.toISOString() } : v;
            }));
        out.tables.push({
            name,
            columns: columns.map((c) => ({ name: c.name, type: c.type, size: c.size })),
            rows,
        });
    }
    process.stdout.write(JSON.stringify(out));
}

main().catch((e) => {
    process.stderr.write(String(e && e.stack ? e.stack : e) + "\n");
    process.exit(1);
});
