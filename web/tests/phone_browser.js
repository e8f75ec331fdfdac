// Browser tests of the page on phones (390x844 and 360x740), every tab: the document no wider
// than the screen, every line of a dark box (console, trace, solution) reachable by scrolling
// inside it with the box's right edge on screen, every choice of every list shown whole, and
// no run of digits split across two lines; axe-core's audit on each (the "Operar" tab too).

// Measured in the page: what is wrong with the tab on screen.
function faultsOnScreen(page) {
  return page.evaluate(() => {
    const faults = [];
    const root = document.documentElement;
    const screen = root.clientWidth;
    if (root.scrollWidth > screen) faults.push(`document ${root.scrollWidth} px wide`);
    const visible = (e) => e.getClientRects().length > 0 && !e.closest('[hidden]');

    for (const box of document.querySelectorAll('pre')) {
      if (!visible(box)) continue;
      const frame = box.getBoundingClientRect();
      if (frame.right > screen + 0.5) faults.push(`#${box.id} ends at ${frame.right} px`);
      const border = parseFloat(getComputedStyle(box).borderRightWidth) || 0;
      box.scrollLeft = box.scrollWidth;
      const range = document.createRange();
      range.selectNodeContents(box);
      const right = Math.max(...Array.from(range.getClientRects(), (r) => r.right));
      if (right > frame.right - border + 0.5) {
        faults.push(`#${box.id}: a line ends ${(right - frame.right).toFixed(0)} px beyond the box`);
      }
      box.scrollLeft = 0;
    }

    const canvas = document.createElement('canvas').getContext('2d');
    for (const select of document.querySelectorAll('select')) {
      if (!visible(select)) continue;
      const style = getComputedStyle(select);
      canvas.font = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
      // The room for the text: the box less its padding and the arrow.
      const room = select.clientWidth - parseFloat(style.paddingLeft) -
        parseFloat(style.paddingRight) - 20;
      for (const option of select.options) {
        const width = canvas.measureText(option.textContent).width;
        if (width > room) faults.push(`#${select.id}: "${option.textContent}" cut (${width.toFixed(0)} > ${room.toFixed(0)} px)`);
      }
    }

    const walker = document.createTreeWalker(document.querySelector('main'), NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const parent = node.parentElement;
      if (!visible(parent) || parent.closest('pre')) continue;
      for (const run of node.textContent.matchAll(/\d+/g)) {
        const range = document.createRange();
        range.setStart(node, run.index);
        range.setEnd(node, run.index + run[0].length);
        const tops = new Set(Array.from(range.getClientRects(), (r) => Math.round(r.top)));
        if (tops.size > 1) faults.push(`"${run[0]}" split across lines in #${parent.closest('[id]').id}`);
      }
    }
    return faults;
  });
}

export async function testPhones(page, t) {
  const { check, setForm, audit, answer, newSession, showWrongPattern } = t;
  for (const [width, height] of [[390, 844], [360, 740]]) {
    await page.setViewport({ width, height, isMobile: true, hasTouch: true });
    const look = async (what) => {
      const faults = await faultsOnScreen(page);
      check(faults.length === 0, `phone ${width}x${height}, ${what}: nothing cut` +
        (faults.length ? `: ${faults.slice(0, 4).join('; ')}` : ''));
    };
    await page.click('#pestana-dialogo');
    await newSession(page);
    await answer(page, ['1', '6', '8', '1', '3', '-5']);
    await look('dialogue');
    await audit(page, `phone ${width}, dialogue tab`);

    await page.click('#pestana-conversion');
    await setForm(page, { sistema: 'flotante', dato: '-0.1', formato: 'ieee64', ampliado: true, 'ver-s': true });
    await look('ieee64 with the extended report');
    // The widest value of single precision, read whole: 39 digits.
    await setForm(page, { operacion: 'interpretar', sistema: 'flotante', dato: '0xff7fffff', ampliado: true });
    await look('the largest single-precision value');
    await page.evaluate(() => { document.getElementById('a-medida').open = true; });
    await setForm(page, { operacion: 'interpretar', sistema: 'flotante', dato: '0x3c00', formato: 'ieee16' });
    await page.evaluate(() => { document.getElementById('a-medida').open = true; });
    await look('the format\'s own fields open');
    await audit(page, `phone ${width}, conversion tab`);

    await page.click('#pestana-operar');
    await page.evaluate(() => {
      document.getElementById('operar-sistema').value = 'c2';
      document.getElementById('operar-a').value = '0b0110';
      document.getElementById('operar-op').value = '-';
      document.getElementById('operar-b').value = '0b0111';
      document.getElementById('operar-ampliado').checked = true;
      document.getElementById('operar-calcular').click();
    });
    await look('an operation with the extended report');
    await audit(page, `phone ${width}, operar tab`);

    await showWrongPattern(page);
    await look('practice, a wrong pattern and the solution');
    await audit(page, `phone ${width}, practice tab`);
  }
  await page.setViewport({ width: 1280, height: 800 });
  await page.click('#pestana-dialogo');
}
