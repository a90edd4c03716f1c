// Checks GitHub Actions workflows with GitHub's own workflow parser
// (@actions/workflow-parser, installed by scripts/setup.sh into build/tools):
// the schema of keys and permissions, and every ${{ }} expression. It cannot
// run them; it prints each error with its line, or "valid".
//   node scripts/check-workflows.mjs TOOLS_DIR WORKFLOW.yml...
import { readFileSync } from "node:fs";
import { register } from "node:module";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

// The parser imports its schema, a JSON file, without saying so; Node asks
// for that to be said.
const jsonHook = `export async function load(url, context, next) {
  if (!url.endsWith(".json")) return next(url, context);
  return next(url, { ...context, importAttributes: { type: "json" } });
}`;
register(`data:text/javascript,${encodeURIComponent(jsonHook)}`);

const [tools, ...files] = process.argv.slice(2);
const parser = join(tools, "node_modules/@actions/workflow-parser/dist/index.js");
const { parseWorkflow, convertWorkflowTemplate, NoOperationTraceWriter } = await import(
  pathToFileURL(parser).href
);

let failed = 0;
for (const file of files) {
  const parsed = parseWorkflow(
    { name: file, content: readFileSync(file, "utf8") },
    new NoOperationTraceWriter(),
  );
  const template = parsed.value ? await convertWorkflowTemplate(parsed.context, parsed.value) : null;
  const errors = new Set(
    [...parsed.context.errors.getErrors(), ...(template?.errors ?? [])].map((e) => e.message ?? e.Message),
  );
  for (const error of errors) console.log(error);
  if (errors.size > 0 || !parsed.value) failed++;
  else console.log(`${file}: valid`);
}
process.exit(failed > 0 ? 1 : 0);
