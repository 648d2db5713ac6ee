// Prints, as JSON, what Hexo itself holds for the site in the current folder: each
// post's permalink, title, date in the site's zone and categories, and each
// category's first page.
'use strict';
const path = require('path');
const Hexo = require(path.join(process.cwd(), 'node_modules', 'hexo'));

const hexo = new Hexo(process.cwd(), { silent: true });
hexo.init()
  .then(() => hexo.load())
  .then(() => {
    const zone = hexo.config.timezone;
    const entries = hexo.locals.get('posts').sort('-date').map(post => ({
      slug: post.slug,
      url: post.permalink,
      title: post.title,
      date: post.date.clone().tz(zone).format('YYYY-MM-DD HH:mm'),
      categories: post.categories.map(category => category.name)
    }));
    const categories = hexo.locals.get('categories').map(category => ({
      name: category.name,
      url: category.permalink
    }));
    process.stdout.write(JSON.stringify({ entries, categories }));
    return hexo.exit();
  })
  .catch(error => {
    console.error(error);
    process.exit(1);
  });
