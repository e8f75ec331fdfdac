// The page's copy of itself: on the first visit every file of the site goes into a cache named
// after their contents, and from then on the page opens from it, with or without a connection.
// Publishing a new version changes this file (the name below), so the browser installs the new
// copy beside the old one, which is dropped once the new one takes over.
'use strict';

const kCopia = 'repbin-@REPBIN_SITE_HASH@';
const kArchivos = [@REPBIN_SITE_LIST@];

self.addEventListener('install', (evento) => {
  evento.waitUntil(
    caches.open(kCopia)
      .then((copia) => copia.addAll(kArchivos.map((a) => new Request(a, { cache: 'reload' }))))
      .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (evento) => {
  evento.waitUntil(
    caches.keys()
      .then((nombres) => Promise.all(nombres
        .filter((n) => n.startsWith('repbin-') && n !== kCopia)
        .map((n) => caches.delete(n))))
      .then(() => self.clients.claim()));
});

// The site's own files from the copy (the address's query and fragment do not matter); anything
// else, or a file the copy lacks, from the network.
self.addEventListener('fetch', (evento) => {
  const pedido = evento.request;
  if (pedido.method !== 'GET' || new URL(pedido.url).origin !== self.location.origin) return;
  evento.respondWith(
    caches.open(kCopia)
      .then((copia) => copia.match(pedido, { ignoreSearch: true }))
      .then((copiado) => copiado || fetch(pedido)));
});
