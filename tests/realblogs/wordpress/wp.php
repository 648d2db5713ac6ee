<?php
/*
 * WordPress's own API on the harness's blog, from the command line:
 *   php wp.php install SETTINGS.json   installs WordPress and sets the blog up
 *   php wp.php add ENTRIES.json        publishes entries as the administrator
 *   php wp.php dump OUTPUT.json        writes what WordPress holds: permalinks,
 *                                      titles as the theme prints them, dates,
 *                                      categories and their links
 * TOCWERK_WP_SITE names the site's settings file, TOCWERK_WP_HOST its host:port and
 * TOCWERK_WP_CONFIG the name Debian's wp-config.php finds them by (WORDPRESS_CONFIG).
 */

$_SERVER['WORDPRESS_CONFIG'] = getenv('TOCWERK_WP_CONFIG');
$_SERVER['TOCWERK_WP_SITE'] = getenv('TOCWERK_WP_SITE');
$_SERVER['HTTP_HOST'] = getenv('TOCWERK_WP_HOST');
$_SERVER['SERVER_NAME'] = '127.0.0.1';
$_SERVER['REQUEST_URI'] = '/';
$_SERVER['REQUEST_METHOD'] = 'GET';

$command = $argv[1];
$file = $argv[2];
if ($command === 'install')
    define('WP_INSTALLING', true);

require_once '/usr/share/wordpress/wp-load.php';

function read_json($file) {
    $value = json_decode(file_get_contents($file), true);
    if ($value === null) {
        fwrite(STDERR, "wp.php: $file is no JSON\n");
        exit(1);
    }
    return $value;
}

function fail($what) {
    fwrite(STDERR, "wp.php: $what\n");
    exit(1);
}

function install($settings) {
    require_once ABSPATH . 'wp-admin/includes/upgrade.php';
    $result = wp_install($settings['title'], 'admin', 'admin@example.invalid', true, '',
                         wp_generate_password(24), $settings['language']);
    if (is_wp_error($result))
        fail($result->get_error_message());
    update_option('blogdescription', $settings['description']);
    update_option('timezone_string', $settings['timezone']);
    update_option('gmt_offset', '');
    update_option('date_format', get_option('date_format'));
    update_option('posts_per_page', $settings['per_page']);
    update_option('permalink_structure', $settings['permalink_structure']);
    // A new install's sample post and page are not part of the blog.
    foreach (get_posts(array('post_type' => array('post', 'page'), 'post_status' => 'any',
                             'numberposts' => -1)) as $post)
        wp_delete_post($post->ID, true);
    foreach ($settings['categories'] as $category) {
        $term = wp_insert_term($category['name'], 'category', array('slug' => $category['slug']));
        if (is_wp_error($term))
            fail($term->get_error_message());
    }
    switch_theme($settings['theme']);
    if (get_stylesheet() !== $settings['theme'])
        fail('the theme ' . $settings['theme'] . ' is not installed');
    flush_rewrite_rules(false);
}

function add($entries) {
    // As the administrator, so that titles are stored as typed (unfiltered_html).
    wp_set_current_user(1);
    foreach ($entries as $entry) {
        $ids = array();
        foreach ($entry['categories'] as $name) {
            $term = get_term_by('name', $name, 'category');
            if (!$term)
                fail("no category $name");
            $ids[] = $term->term_id;
        }
        $post = array(
            'post_title' => $entry['title'],
            'post_name' => $entry['slug'],
            'post_content' => $entry['body'],
            'post_status' => 'publish',
            'post_type' => 'post',
            'post_author' => 1,
            'post_date' => $entry['date'] . ':00',
            'post_category' => $ids,
        );
        // wp_insert_post takes slashed data, as a form would post it.
        $id = wp_insert_post(wp_slash($post), true);
        if (is_wp_error($id))
            fail($id->get_error_message());
    }
}

// The address of page 2 of a list, as WordPress links it from page 1.
function second_page($url) {
    $_SERVER['REQUEST_URI'] = wp_parse_url($url, PHP_URL_PATH);
    $link = get_pagenum_link(2, false);
    $_SERVER['REQUEST_URI'] = '/';
    return $link;
}

function text($html) {
    return html_entity_decode($html, ENT_QUOTES | ENT_HTML5, 'UTF-8');
}

function dump($file) {
    $entries = array();
    $posts = get_posts(array('post_type' => 'post', 'post_status' => 'publish', 'numberposts' => -1,
                             'orderby' => 'date', 'order' => 'DESC'));
    foreach ($posts as $post) {
        $names = array();
        foreach (get_the_category($post->ID) as $term)
            $names[] = text($term->name);
        $entries[] = array(
            'slug' => urldecode($post->post_name),
            'url' => get_permalink($post),
            // The title as the theme prints it (the_title's filters: curly quotes and so on).
            'title' => text(get_the_title($post)),
            'date' => get_the_date('Y-m-d H:i', $post),
            'categories' => $names,
        );
    }
    $categories = array();
    foreach (get_categories(array('hide_empty' => false)) as $term)
        $categories[] = array('name' => text($term->name), 'url' => get_category_link($term->term_id),
                              'slug' => $term->slug, 'count' => $term->count);
    $out = array(
        'entries' => $entries,
        'categories' => $categories,
        'home' => home_url('/'),
        'list_2' => second_page(home_url('/')),
        'theme' => get_stylesheet(),
        'version' => get_bloginfo('version'),
        'locale' => get_locale(),
    );
    foreach ($categories as $i => $category)
        $out['categories'][$i]['page_2'] = second_page($category['url']);
    file_put_contents($file, json_encode($out, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_PRETTY_PRINT));
}

if ($command === 'install')
    install(read_json($file));
elseif ($command === 'add')
    add(read_json($file));
elseif ($command === 'dump')
    dump($file);
else
    fail("unknown command $command");
