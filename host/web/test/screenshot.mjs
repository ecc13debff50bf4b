// Takes the README's picture of the playground: node screenshot.mjs PLAYGROUND_HTML OUT_PNG
import { pathToFileURL } from "node:url";
import { launch, openPage } from "./harness.mjs";

const [html, out] = process.argv.slice(2);
const chromium = await launch();
try {
  const errors = [];
  const page = await openPage(chromium.browser, pathToFileURL(html).href, errors);
  await page.setViewport({ width: 1100, height: 760 });
  await page.waitForFunction("window.playgroundReady === true");
  await page.evaluate(() => {
    const set = (id, v) => {
      const el = document.getElementById(id);
      if (el.type === "checkbox") el.checked = v;
      else el.value = v;
      el.dispatchEvent(new Event(el.type === "checkbox" ? "change" : "input"));
    };
    set("RoundSize", 30);
    set("Light", 60);
    document.getElementById("PictureChoice").value = "tick";
    document.getElementById("PictureChoice").dispatchEvent(new Event("change"));
  });
  const b = await page.$eval("#button", (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  });
  await page.mouse.move(b.x + 10, b.y);
  await page.mouse.click(b.x + 10, b.y);
  await new Promise((ok) => setTimeout(ok, 300));
  await page.screenshot({ path: out });
  if (errors.length) throw new Error(errors.join("\n"));
} finally {
  await chromium.close();
}
